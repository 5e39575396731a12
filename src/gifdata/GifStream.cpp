#include "GifStream.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

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

TFileStream::TFileStream(const std::string& path, TMode mode) {
    FFile = std::fopen(path.c_str(), mode == fmRead ? "rb" : "wb");
    if (FFile && mode == fmRead && fseeko(FFile, 0, SEEK_END) == 0) {
        FReadSize = std::int64_t(ftello(FFile));
        fseeko(FFile, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    Close();
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return FFile ? std::fread(buffer, 1, count, FFile) : 0;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    return FFile ? std::fwrite(buffer, 1, count, FFile) : 0;
}

std::int64_t TFileStream::Position() const {
    return FFile ? std::int64_t(ftello(FFile)) : 0;
}

std::int64_t TFileStream::Size() const {
    if (!FFile) return 0;
    if (FReadSize >= 0) return FReadSize;
    off_t here = ftello(FFile);
    fseeko(FFile, 0, SEEK_END);
    off_t end = ftello(FFile);
    fseeko(FFile, here, SEEK_SET);
    return std::int64_t(end);
}

bool TFileStream::Seek(std::int64_t position) {
    if (!FFile || position < 0 || position > Size()) return false;
    return fseeko(FFile, off_t(position), SEEK_SET) == 0;
}

bool TFileStream::FlushToDisk() {
    if (!FFile || std::fflush(FFile) != 0) return false;
    return fsync(fileno(FFile)) == 0;
}

bool TFileStream::Close() {
    if (!FFile) return true;
    bool ok = std::fclose(FFile) == 0;
    FFile = nullptr;
    return ok;
}
