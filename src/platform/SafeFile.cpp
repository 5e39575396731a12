#include "platform/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TSafeWriteResult Failed(const char* verb, const std::string& path, int error) {
    const std::string reason = std::strerror(error);
    return {false, std::string("Cannot ") + verb + " file \"" + path + "\". " + reason, reason};
}

TSafeWriteResult CreateFailed(const std::string& path, int error) {
    return Failed("create", path, error);
}

TSafeWriteResult WriteFailed(const std::string& path, int error) {
    return Failed("write", path, error);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that path names once every symbolic link on the way is followed
// (it need not exist yet). False with errno set when a link cannot be read.
bool FollowLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::vector<char> buffer(std::size_t(st.st_size > 0 ? st.st_size : 4096) + 1);
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        const std::string link(buffer.data(), std::size_t(n));
        target = !link.empty() && link[0] == '/' ? link : FolderOf(target) + "/" + link;
    }
    errno = ELOOP;
    return false;
}

// Writes everything at offset; false with errno set otherwise.
bool WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= std::size_t(n);
        offset += n;
    }
    return true;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0) return;
    ::fsync(dir);
    ::close(dir);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

enum TRenameOutcome { roDone, roFailed, roUseInPlace };

// The atomic way: a temporary file beside target, renamed over it once complete.
// old is the existing file's status, or null for a new file. roUseInPlace when
// the temporary file cannot be made or cannot take over the old owner.
TRenameOutcome ReplaceByRename(const std::string& path, const std::string& target, const struct stat* old,
                               const std::uint8_t* data, std::size_t size, TSafeWriteResult& failure) {
    const std::string folder = FolderOf(target);
    const std::size_t slash = target.find_last_of('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        if (old) return roUseInPlace;
        failure = CreateFailed(path, errno);
        return roFailed;
    }
    auto discard = [&](TSafeWriteResult why) {
        ::close(fd);
        ::unlink(pattern.c_str());
        failure = std::move(why);
        return roFailed;
    };
    if (old) {
        struct stat mine {};
        if (::fstat(fd, &mine) != 0) return discard(CreateFailed(path, errno));
        if ((mine.st_uid != old->st_uid || mine.st_gid != old->st_gid) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0) {
            // Renaming would hand the file to us: write it in place instead.
            ::close(fd);
            ::unlink(pattern.c_str());
            return roUseInPlace;
        }
    }
    // After the owner: changing the owner clears the set-id bits.
    if (::fchmod(fd, old ? old->st_mode & 07777 : NewFileMode()) != 0)
        return discard(CreateFailed(path, errno));
    if (!WriteAll(fd, data, size) || ::fsync(fd) != 0) return discard(WriteFailed(path, errno));
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(pattern.c_str());
        failure = WriteFailed(path, error);
        return roFailed;
    }
    if (::rename(pattern.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(pattern.c_str());
        failure = WriteFailed(path, error);
        return roFailed;
    }
    SyncFolder(folder);
    return roDone;
}

// Overwrites the file itself, so its links, owner and mode stay. The old bytes
// are read first and written back when the new ones cannot all be written.
TSafeWriteResult WriteInPlace(const std::string& path, const std::string& target, const struct stat& old,
                              const std::uint8_t* data, std::size_t size) {
    if (!S_ISREG(old.st_mode)) { // a device or pipe: nothing to put back
        const int fd = ::open(target.c_str(), O_WRONLY);
        if (fd < 0) return CreateFailed(path, errno);
        const bool ok = WriteAll(fd, data, size);
        const int error = errno;
        ::close(fd);
        return ok ? TSafeWriteResult{true, {}, {}} : WriteFailed(path, error);
    }
    const int fd = ::open(target.c_str(), O_RDWR);
    if (fd < 0) return CreateFailed(path, errno);
    std::vector<std::uint8_t> keep;
    try {
        keep.resize(std::size_t(old.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return CreateFailed(path, ENOMEM);
    }
    std::size_t have = 0;
    while (have < keep.size()) {
        const ssize_t n = ::pread(fd, keep.data() + have, keep.size() - have, off_t(have));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return CreateFailed(path, error);
        }
        if (n == 0) break;
        have += std::size_t(n);
    }
    keep.resize(have);

    if (WriteAllAt(fd, data, size, 0) && ::ftruncate(fd, off_t(size)) == 0 && ::fsync(fd) == 0) {
        if (::close(fd) == 0) return {true, {}, {}};
        return WriteFailed(path, errno);
    }
    const int error = errno;
    // Put the old contents back; the space they held is still ours.
    WriteAllAt(fd, keep.data(), keep.size(), 0);
    ::ftruncate(fd, off_t(keep.size()));
    ::fsync(fd);
    ::close(fd);
    return WriteFailed(path, error);
}

} // namespace

TSafeWriteResult WriteFileSafely(const std::string& path, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (path.empty()) return CreateFailed(path, ENOENT);
    std::string target;
    if (!FollowLinks(path, target)) return CreateFailed(path, errno);

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return CreateFailed(path, errno);
    if (exists && S_ISDIR(old.st_mode)) return CreateFailed(path, EISDIR);
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return CreateFailed(path, errno);

    if (!exists || (S_ISREG(old.st_mode) && old.st_nlink == 1)) {
        TSafeWriteResult failure;
        switch (ReplaceByRename(path, target, exists ? &old : nullptr, bytes, size, failure)) {
        case roDone:
            return {true, {}, {}};
        case roFailed:
            return failure;
        case roUseInPlace:
            break;
        }
    }
    return WriteInPlace(path, target, old, bytes, size);
}
