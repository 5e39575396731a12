#pragma once
// The one place where the picture writers put their finished bytes into a file.

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to path through WriteFileSafely (SafeFile.h), replacing any file
// of that name: the old file stays whole when the write fails, and a replaced
// file keeps its links, owner and mode; a symbolic link's target is written.
// False with the system's reason in error ("Permission denied"); the caller
// names the file.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
