#pragma once
// Byte streams of the SWF writer: an output interface, a growable in-memory
// stream, and a zlib compressor that passes its output on to another stream.
// Plain C++ with zlib.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Failures of the SWF writer (file creation, compression). The message is the
// one the user sees.
class ESWFError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TSWFOutput {
  public:
    virtual ~TSWFOutput() = default;
    virtual void WriteBytes(const std::uint8_t* data, std::size_t count) = 0;
};

// In-memory stream: writes go to the current position (growing the stream when
// needed), reads come from it.
class TSWFMemoryStream : public TSWFOutput {
  public:
    TSWFMemoryStream() = default;
    explicit TSWFMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

    void WriteBytes(const std::uint8_t* data, std::size_t count) override;
    // Reads up to count bytes from the position; returns how many were read.
    std::size_t Read(std::uint8_t* data, std::size_t count);

    std::size_t Position() const { return FPosition; }
    std::size_t Size() const { return FBytes.size(); }
    void Seek(std::size_t position) { FPosition = position < FBytes.size() ? position : FBytes.size(); }
    void Clear() {
        FBytes.clear();
        FPosition = 0;
    }
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

  private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};

// zlib stream format (2-byte header, deflate, Adler-32 trailer) at the default
// level, 15-bit window, memory level 8, default strategy. Output goes to the
// target in pieces of at most 65536 bytes. Close() finishes the stream; it must
// be called for the output to be complete. Raises ESWFError("Error") on a zlib failure.
class TSWFCompressionStream : public TSWFOutput {
  public:
    explicit TSWFCompressionStream(TSWFOutput& target);
    ~TSWFCompressionStream() override;
    TSWFCompressionStream(const TSWFCompressionStream&) = delete;
    TSWFCompressionStream& operator=(const TSWFCompressionStream&) = delete;

    void WriteBytes(const std::uint8_t* data, std::size_t count) override;
    void Close();

  private:
    void Pump(int flush);
    struct TState;
    std::unique_ptr<TState> FState;
    TSWFOutput& FTarget;
    bool FClosed = false;
};

// The whole of data as one zlib stream with the compressor settings above.
std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t count);
