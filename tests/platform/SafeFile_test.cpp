#include "platform/SafeFile.h"
#include "support/FileSizeLimit.h"
#include "support/TestUser.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SafeFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "safefile.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        Dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(Dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(Dir, ec);
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }
    static TSafeWriteResult Save(const std::string& path, const std::string& text) {
        return WriteFileSafely(path, text.data(), text.size());
    }
    // The names in Dir other than the given ones (left-over temporary files).
    std::vector<std::string> Others(std::initializer_list<std::string> known) const {
        std::vector<std::string> others;
        for (const auto& entry : fs::directory_iterator(Dir)) {
            const std::string name = entry.path().filename().string();
            if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
        }
        return others;
    }

    fs::path Dir;
};

TEST_F(SafeFile, ANewFileGetsTheBytesAndTheModeTheUmaskAllows) {
    const std::string path = (Dir / "new.gif").string();
    const mode_t mask = ::umask(022);
    const TSafeWriteResult result = Save(path, "GIF89a new");
    ::umask(mask);
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_TRUE(result.Message.empty());
    EXPECT_TRUE(result.Reason.empty());
    EXPECT_EQ(Read(path), "GIF89a new");
    EXPECT_EQ(Stat(path).st_mode & 07777, 0644u);
    EXPECT_TRUE(Others({"new.gif"}).empty());
}

TEST_F(SafeFile, APlainFileIsReplacedAndKeepsItsMode) {
    const std::string path = (Dir / "plain.gif").string();
    Write(path, "old contents that are longer than the new ones");
    ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
    const TSafeWriteResult result = Save(path, "new");
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Stat(path).st_mode & 07777, 0604u);
    EXPECT_TRUE(Others({"plain.gif"}).empty());
}

TEST_F(SafeFile, AHardLinkedFileIsWrittenInPlaceSoEveryNameSeesTheNewBytes) {
    const std::string path = (Dir / "a.gif").string(), other = (Dir / "b.gif").string();
    Write(path, "old");
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    const ino_t inode = Stat(path).st_ino;
    const TSafeWriteResult result = Save(path, "the new, longer contents");
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_EQ(Read(path), "the new, longer contents");
    EXPECT_EQ(Read(other), "the new, longer contents");
    EXPECT_EQ(Stat(path).st_ino, inode);
    EXPECT_EQ(Stat(path).st_nlink, 2u);
    ASSERT_TRUE(Save(path, "short").Ok);
    EXPECT_EQ(Read(other), "short"); // cut to the new length
    EXPECT_TRUE(Others({"a.gif", "b.gif"}).empty());
}

TEST_F(SafeFile, ASymbolicLinkStaysALinkAndTheFileItNamesGetsTheBytes) {
    fs::create_directory(Dir / "real");
    const std::string real = (Dir / "real" / "movie.swf").string(), link = (Dir / "link.swf").string();
    Write(real, "old");
    ASSERT_EQ(::symlink("real/movie.swf", link.c_str()), 0); // relative to the link's folder
    const TSafeWriteResult result = Save(link, "new");
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_TRUE(S_ISLNK(Stat(link).st_mode));
    EXPECT_EQ(fs::read_symlink(link).string(), "real/movie.swf");
    EXPECT_EQ(Read(real), "new");
}

TEST_F(SafeFile, ADanglingSymbolicLinkMakesTheFileItNames) {
    const std::string link = (Dir / "link.gif").string();
    ASSERT_EQ(::symlink("target.gif", link.c_str()), 0);
    ASSERT_TRUE(Save(link, "new").Ok);
    EXPECT_TRUE(S_ISLNK(Stat(link).st_mode));
    EXPECT_EQ(Read((Dir / "target.gif").string()), "new");
}

TEST_F(SafeFile, AFolderIsRefusedNamingIt) {
    const std::string path = (Dir / "folder").string();
    fs::create_directory(path);
    const TSafeWriteResult result = Save(path, "x");
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "Cannot create file \"" + path + "\". Is a directory");
    EXPECT_EQ(result.Reason, "Is a directory");
}

TEST_F(SafeFile, AFailedReplaceLeavesTheOldFileAndNoTemporaryFile) {
    const std::string path = (Dir / "plain.gif").string();
    Write(path, "old");
    const std::string big(64 * 1024, 'n');
    TSafeWriteResult result;
    {
        TFileSizeLimit limit(4096);
        result = Save(path, big);
    }
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "Cannot write file \"" + path + "\". File too large");
    EXPECT_EQ(result.Reason, "File too large");
    EXPECT_EQ(Read(path), "old");
    EXPECT_TRUE(Others({"plain.gif"}).empty());
}

TEST_F(SafeFile, AFailedWriteInPlacePutsTheOldBytesBack) {
    const std::string path = (Dir / "a.gif").string(), other = (Dir / "b.gif").string();
    const std::string old(1000, 'o');
    Write(path, old);
    ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    TSafeWriteResult result;
    {
        TFileSizeLimit limit(4096);
        result = Save(path, std::string(64 * 1024, 'n'));
    }
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "Cannot write file \"" + path + "\". File too large");
    EXPECT_EQ(result.Reason, "File too large");
    EXPECT_EQ(Read(path), old);
    EXPECT_EQ(Stat(other).st_nlink, 2u);
}

// ---- other people's files (root, acting as a second user)

class SafeFileOwners : public SafeFile {
  protected:
    void SetUp() override {
        SafeFile::SetUp();
        if (!FindTestUser(User)) GTEST_SKIP() << "needs root to make and act as a second user (useradd)";
    }
    TTestUser User;
};

TEST_F(SafeFileOwners, ReplacingSomeoneElsesFileKeepsItsOwnerAndGroup) {
    const std::string path = (Dir / "theirs.gif").string();
    Write(path, "old");
    ASSERT_EQ(::chown(path.c_str(), User.Uid, User.Gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(Save(path, "new").Ok);
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Stat(path).st_uid, User.Uid);
    EXPECT_EQ(Stat(path).st_gid, User.Gid);
    EXPECT_EQ(Stat(path).st_mode & 07777, 0640u);
}

TEST_F(SafeFileOwners, AWritableFileInAFolderTheUserCannotWriteIsSavedInPlace) {
    ASSERT_EQ(::chmod(Dir.c_str(), 0755), 0); // root's folder
    const std::string path = (Dir / "mine.gif").string();
    Write(path, "old");
    ASSERT_EQ(::chown(path.c_str(), User.Uid, User.Gid), 0);
    const ino_t inode = Stat(path).st_ino;
    TSafeWriteResult result;
    {
        TActAs as(User);
        ASSERT_TRUE(as.Ok());
        result = Save(path, "new bytes");
    }
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_EQ(Read(path), "new bytes");
    EXPECT_EQ(Stat(path).st_ino, inode);
    EXPECT_EQ(Stat(path).st_uid, User.Uid);
}

TEST_F(SafeFileOwners, AFileWhoseOwnerCannotBeCarriedOverIsWrittenInPlace) {
    ASSERT_EQ(::chmod(Dir.c_str(), 0777), 0);
    const std::string path = (Dir / "shared.gif").string();
    Write(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0); // root's, writable by all
    TSafeWriteResult result;
    {
        TActAs as(User);
        ASSERT_TRUE(as.Ok());
        result = Save(path, "new");
    }
    ASSERT_TRUE(result.Ok) << result.Message;
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(Stat(path).st_uid, 0u);
    EXPECT_TRUE(Others({"shared.gif"}).empty());
}

TEST_F(SafeFileOwners, AWriteProtectedFileIsRefusedWithAMessageNamingIt) {
    ASSERT_EQ(::chown(Dir.c_str(), User.Uid, User.Gid), 0); // the user's own folder
    const std::string path = (Dir / "ro.gif").string();
    Write(path, "old");
    ASSERT_EQ(::chown(path.c_str(), User.Uid, User.Gid), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TSafeWriteResult result;
    {
        TActAs as(User);
        ASSERT_TRUE(as.Ok());
        result = Save(path, "new");
    }
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Message, "Cannot create file \"" + path + "\". Permission denied");
    EXPECT_EQ(result.Reason, "Permission denied");
    EXPECT_EQ(Read(path), "old");
    EXPECT_TRUE(Others({"ro.gif"}).empty());
}

} // namespace
