#include "platform/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = std::string("The file cannot be created: ") + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        error = std::string("The file cannot be written: ") + std::strerror(writeErrno ? writeErrno : errno);
        std::remove(path.c_str());
    }
    return ok;
}
