#include "platform/FileBytes.h"

#include "platform/SafeFile.h"

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    const TSafeWriteResult saved = WriteFileSafely(path, bytes);
    if (!saved.Ok) error = saved.Reason;
    return saved.Ok;
}
