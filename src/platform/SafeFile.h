#pragma once
// Saving a file so that a failure never damages the old one and a success keeps
// what users rely on: its links, owner and permissions. Plain C++ and POSIX,
// free of Qt, so the codecs use it as well as the program.
//
// A plain file with one link, in a folder we can write, is replaced the atomic
// way: the new bytes go to a temporary file beside it, which takes over the old
// file's mode and owner and is then renamed over it. Any other file (hard-linked,
// in a folder we cannot write, owned by someone whose ownership we could not
// carry over, a device) is written in place; its old bytes are kept in memory
// and put back when the write fails. A symbolic link is followed: the file it
// points to is written, the link stays a link.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TSafeWriteResult {
    bool Ok = false;
    // Why the save failed, naming the file the caller asked for; empty on success.
    std::string Message;
    // The system's reason alone ("Permission denied"), for callers that name
    // the file in their own words; empty on success.
    std::string Reason;
};

TSafeWriteResult WriteFileSafely(const std::string& path, const void* data, std::size_t size);

inline TSafeWriteResult WriteFileSafely(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return WriteFileSafely(path, bytes.data(), bytes.size());
}
