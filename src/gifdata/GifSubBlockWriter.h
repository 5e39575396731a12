#pragma once
// Packs a byte stream into GIF data sub-blocks: up to 255 data bytes, each
// block preceded by its length byte. The LZW encoder writes its codes through
// it, so the target stream sees one write per sub-block.

#include <array>
#include <cstddef>
#include <cstdint>

#include "gifdata/GifStream.h"

// A write-only stream in front of a target stream, with a one-sub-block buffer:
// byte 0 is kept for the sub-block length, bytes 1..255 hold data.
class TGIFStream : public TStream {
  public:
    static constexpr int BufferSize = 256;

    explicit TGIFStream(TStream& target) : Target(target) {}
    TGIFStream(const TGIFStream&) = delete;
    TGIFStream& operator=(const TGIFStream&) = delete;

    // Sub-block output cannot be read back or repositioned.
    std::size_t Read(void*, std::size_t) override { return 0; }
    bool Seek(std::int64_t) override { return false; }
    // Where the target stands plus the bytes still waiting in the buffer.
    std::int64_t Position() const override { return Target.Position() + (FillPosition - 1); }
    std::int64_t Size() const override { return Position(); }

  protected:
    TStream& Target;
    std::array<std::uint8_t, BufferSize> Buffer{};
    std::int32_t FillPosition = 1; // next free index in Buffer
};

// The sub-block packer. Write fills the buffer and emits every full 255-byte
// block; Flush emits what is pending; destruction flushes when dirty. A target
// write that fails is remembered: later output is dropped and Failed() tells.
class TGIFWriter : public TGIFStream {
  public:
    explicit TGIFWriter(TStream& target) : TGIFStream(target) { FillPosition = 1; }
    ~TGIFWriter() override;

    // Returns count, or 0 once a write to the target has failed.
    std::size_t Write(const void* data, std::size_t count) override;
    // Appends one byte; the encoder's hot path.
    void WriteByte(std::uint8_t value) {
        Dirty = true;
        Buffer[std::size_t(FillPosition++)] = value;
        if (FillPosition == BufferSize) Flush();
    }
    // Writes the pending sub-block (length byte and data) in one call.
    // Returns false when the target did not take every byte.
    bool Flush();

    bool IsDirty() const { return Dirty; }
    bool Failed() const { return WriteFailed; }

  private:
    bool Dirty = false;
    bool WriteFailed = false;
};
