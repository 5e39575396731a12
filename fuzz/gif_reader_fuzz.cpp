// libFuzzer target: the GIF reader on arbitrary bytes. Every input must end in
// true or false without a crash, a hang, a leak or undefined behaviour; a
// document that was read must also save and read back.

#include <cstddef>
#include <cstdint>

#include "gifdata/GifData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream input(data, size);
    TGIFData doc;
    doc.LoadFromStream(input);

    // Whatever was read must be writable and readable again, as the editor's
    // Save after Open does (skipped for big frames, to keep the fuzzer fast).
    std::int64_t pixels = 0;
    for (const auto& frame : doc.Frames) pixels += frame->PixelCount;
    if (pixels > 65536) return 0;
    doc.CompactPalettes();
    TMemoryStream output;
    if (doc.SaveToStream(output)) {
        output.Seek(0);
        TGIFData again;
        if (!again.LoadFromStream(output)) __builtin_trap();
    }
    return 0;
}
