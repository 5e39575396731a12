#pragma once
// The byte streams the codec reads from and writes to. A stream reports its size
// and position and can seek; reads and writes return how many bytes moved, and
// never throw. Plain C++: no Qt.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TStream {
  public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read (fewer at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; returns how many were written (fewer on failure).
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    // Moves to an absolute position within 0..Size(); returns false otherwise.
    virtual bool Seek(std::int64_t position) = 0;

    std::int64_t Remaining() const { return Size() - Position(); }
    // Reads exactly count bytes or returns false.
    bool ReadExact(void* buffer, std::size_t count) { return Read(buffer, count) == count; }
    bool WriteExact(const void* buffer, std::size_t count) { return Write(buffer, count) == count; }
};

// A growable in-memory stream.
class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}
    TMemoryStream(const std::uint8_t* data, std::size_t size) : FBytes(data, data + size) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return std::int64_t(FPosition); }
    std::int64_t Size() const override { return std::int64_t(FBytes.size()); }
    bool Seek(std::int64_t position) override;

    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    std::vector<std::uint8_t> TakeBytes() {
        FPosition = 0;
        return std::move(FBytes);
    }

  private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};

// A file opened for reading. Files are never written through a stream: a save
// builds its bytes in a TMemoryStream and hands them to WriteFileSafely, so a
// failure cannot leave a half-written file behind.
class TFileStream : public TStream {
  public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    bool IsOpen() const { return FFile != nullptr; }
    std::size_t Read(void* buffer, std::size_t count) override;
    // Writes nothing: the file is open for reading only.
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override { return FSize; }
    bool Seek(std::int64_t position) override;

  private:
    std::FILE* FFile = nullptr;
    std::int64_t FSize = 0; // taken once, when the file is opened
};
