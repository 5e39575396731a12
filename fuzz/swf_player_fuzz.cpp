// libFuzzer target: our SWF player on arbitrary bytes. A movie either plays or
// raises ESWFFormatError; anything else (a crash, a sanitizer report, another
// exception, a hang) is a fault.
#include "flash/SWFPlayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        // Small limits keep each run fast; the limits themselves are tested elsewhere.
        TSWFPlayerLimits limits;
        limits.MaxStagePixels = 1 << 16;
        limits.MaxBitmapPixels = 1 << 18;
        limits.MaxFrameBytes = std::size_t(64) << 20;
        TSWFReadLimits reading;
        reading.MaxKeptBytes = std::size_t(16) << 20;
        TSWFMoviePlayer player(TSWFFile::FromBytes(data, size, reading), limits);
        const int frames = player.FrameCount();
        for (int i = 0; i < frames && i < 3; ++i) player.RenderFrame(i);
        if (frames > 3) player.RenderFrame(frames - 1);
    } catch (const ESWFFormatError&) {
    }
    return 0;
}
