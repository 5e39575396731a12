#include "GifStream.h"

#include <algorithm>
#include <cstring>

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    std::size_t n = std::min(count, FBytes.size() - std::min(FPosition, FBytes.size()));
    if (n) std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (FPosition + count > FBytes.size()) FBytes.resize(FPosition + count);
    if (count) std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition += count;
    return count;
}

bool TMemoryStream::Seek(std::int64_t position) {
    if (position < 0 || position > Size()) return false;
    FPosition = std::size_t(position);
    return true;
}

TFileStream::TFileStream(const std::string& path) {
    FFile = std::fopen(path.c_str(), "rb");
    if (FFile && fseeko(FFile, 0, SEEK_END) == 0) {
        FSize = std::int64_t(ftello(FFile));
        fseeko(FFile, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return FFile ? std::fread(buffer, 1, count, FFile) : 0;
}

std::size_t TFileStream::Write(const void*, std::size_t) {
    return 0;
}

std::int64_t TFileStream::Position() const {
    return FFile ? std::int64_t(ftello(FFile)) : 0;
}

bool TFileStream::Seek(std::int64_t position) {
    if (!FFile || position < 0 || position > FSize) return false;
    return fseeko(FFile, off_t(position), SEEK_SET) == 0;
}
