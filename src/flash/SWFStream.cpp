#include "flash/SWFStream.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

void TSWFMemoryStream::WriteBytes(const std::uint8_t* data, std::size_t count) {
    if (count == 0) return;
    if (FPosition + count > FBytes.size()) FBytes.resize(FPosition + count);
    std::memcpy(FBytes.data() + FPosition, data, count);
    FPosition += count;
}

std::size_t TSWFMemoryStream::Read(std::uint8_t* data, std::size_t count) {
    std::size_t n = std::min(count, FBytes.size() - FPosition);
    if (n) std::memcpy(data, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

namespace {
constexpr std::size_t PieceSize = 65536;
}

struct TSWFCompressionStream::TState {
    z_stream Z{};
    std::vector<std::uint8_t> Out = std::vector<std::uint8_t>(PieceSize);
    bool Open = false;
};

TSWFCompressionStream::TSWFCompressionStream(TSWFOutput& target)
    : FState(std::make_unique<TState>()), FTarget(target) {
    if (deflateInit2(&FState->Z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw ESWFError("Error");
    FState->Open = true;
}

TSWFCompressionStream::~TSWFCompressionStream() {
    if (FState->Open) deflateEnd(&FState->Z);
}

void TSWFCompressionStream::Pump(int flush) {
    z_stream& z = FState->Z;
    for (;;) {
        z.next_out = FState->Out.data();
        z.avail_out = uInt(FState->Out.size());
        int rc = deflate(&z, flush);
        if (rc == Z_STREAM_ERROR) throw ESWFError("Error");
        std::size_t produced = FState->Out.size() - z.avail_out;
        if (produced) FTarget.WriteBytes(FState->Out.data(), produced);
        if (flush == Z_FINISH) {
            if (rc == Z_STREAM_END) return;
            if (rc != Z_OK && rc != Z_BUF_ERROR) throw ESWFError("Error");
        } else if (z.avail_in == 0 && z.avail_out != 0) {
            return;
        }
    }
}

void TSWFCompressionStream::WriteBytes(const std::uint8_t* data, std::size_t count) {
    if (FClosed) throw ESWFError("Error");
    // zlib counts input in 32-bit units; feed large buffers in slices.
    while (count > 0) {
        std::size_t slice = std::min<std::size_t>(count, 1u << 30);
        FState->Z.next_in = const_cast<Bytef*>(data);
        FState->Z.avail_in = uInt(slice);
        Pump(Z_NO_FLUSH);
        data += slice;
        count -= slice;
    }
}

void TSWFCompressionStream::Close() {
    if (FClosed) return;
    FState->Z.next_in = nullptr;
    FState->Z.avail_in = 0;
    Pump(Z_FINISH);
    deflateEnd(&FState->Z);
    FState->Open = false;
    FClosed = true;
}

std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t count) {
    TSWFMemoryStream out;
    TSWFCompressionStream z(out);
    z.WriteBytes(data, count);
    z.Close();
    return out.Bytes();
}
