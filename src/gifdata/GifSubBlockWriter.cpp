#include "gifdata/GifSubBlockWriter.h"

#include <algorithm>
#include <cstring>

TGIFWriter::~TGIFWriter() {
    if (Dirty) Flush();
}

std::size_t TGIFWriter::Write(const void* data, std::size_t count) {
    // Dirty means "bytes wait in the buffer": set per copied chunk, so bytes
    // left after a flush inside this call are not lost on destruction.
    auto* bytes = static_cast<const std::uint8_t*>(data);
    std::size_t left = count;
    while (left > 0) {
        std::size_t room = std::size_t(BufferSize - FillPosition);
        std::size_t n = std::min(room, left);
        std::memcpy(Buffer.data() + FillPosition, bytes, n);
        FillPosition += std::int32_t(n);
        Dirty = true;
        bytes += n;
        left -= n;
        if (FillPosition == BufferSize) Flush();
    }
    return WriteFailed ? 0 : count;
}

bool TGIFWriter::Flush() {
    if (FillPosition > 0) {
        Buffer[0] = std::uint8_t(FillPosition - 1);
        // After a failure the output is cut where it failed: nothing more goes out.
        if (!WriteFailed && !Target.WriteExact(Buffer.data(), std::size_t(FillPosition))) WriteFailed = true;
        FillPosition = 1;
        Dirty = false;
    }
    return !WriteFailed;
}
