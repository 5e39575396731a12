#pragma once
// The one place where the picture writers put their finished bytes into a file.

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes to path, replacing any file of that name. False with a reason
// in error when the file cannot be created or written (a partly written file
// is removed).
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
