// Frame export without a window: numbered names, the format chosen by the
// name, pictures read back by ImageMagick, frames without pixels, failures,
// and pictures written over files that are linked, write-protected or owned.
#include "editor/FrameExport.h"
#include "editor/PreviewPlayer.h"
#include "gifdata/GifData.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

#include "support/FileSizeLimit.h"
#include "support/ShellRun.h"
#include "support/TestUser.h"

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// ImageMagick's reading of a picture as R, G, B, A bytes.
std::string MagickRGBA(const std::string& path) {
    const TShellRun run = RunShell("convert '" + path + "' -depth 8 rgba:-", TShellErrors::Discarded);
    EXPECT_EQ(run.Status, 0) << path;
    return run.Output;
}

// Two frames: a 5 x 4 frame on the global table using indices 0..9 with index 3
// transparent, and a 3 x 2 frame at (2, 1) with a local table.
std::unique_ptr<TGIFData> TwoFrames() {
    auto doc = std::make_unique<TGIFData>();
    doc->ScreenWidth = 5;
    doc->ScreenHeight = 4;
    doc->ScreenFlags = 0x80 | 0x03;
    for (int i = 0; i < 256; ++i)
        doc->GlobalPalette[std::size_t(i)] = {std::uint8_t(i * 20), std::uint8_t(255 - i),
                                              std::uint8_t(i * 7), 0};
    TGIFImageData* first = doc->AddFrame(5, 4);
    for (std::size_t i = 0; i < first->Pixels.size(); ++i) first->Pixels[i] = std::uint8_t(i % 10);
    first->Control->SetTransparent(true);
    first->Control->TransparentIndex = 3;
    TGIFImageData* second = doc->AddFrame(3, 2);
    second->Left = 2;
    second->Top = 1;
    second->SetHasLocalTable(true);
    second->SetLocalTableSize(1);
    second->LocalPalette[0] = {9, 8, 7, 1};
    second->LocalPalette[1] = {1, 2, 3, 1};
    for (std::size_t i = 0; i < second->Pixels.size(); ++i) second->Pixels[i] = std::uint8_t(i % 2);
    return doc;
}

class FrameExport : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const {
        return Folder.filePath(QString::fromStdString(name)).toStdString();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder.path().toStdString()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    QTemporaryDir Folder;
};

TEST(ExportNames, NumbersGoBeforeTheExtensionAfterTheNameUpToItsFirstDot) {
    EXPECT_EQ(NumberedExportName("/tmp/out/anim.bmp", 1), "/tmp/out/anim_1.bmp");
    EXPECT_EQ(NumberedExportName("/tmp/out/anim.bmp", 12), "/tmp/out/anim_12.bmp");
    EXPECT_EQ(NumberedExportName("/tmp/shot.v2.bmp", 2), "/tmp/shot_2.bmp");
    EXPECT_EQ(NumberedExportName("/tmp/pic", 1), "/tmp/pic_1");
    EXPECT_EQ(NumberedExportName("/tmp/my.dir/pic.png", 3), "/tmp/my.dir/pic_3.png");
    EXPECT_EQ(NumberedExportName("pic.bmp", 1), "pic_1.bmp");
}

TEST(ExportNames, PngIsChosenByItsExtensionInAnyCase) {
    EXPECT_EQ(ExportFormatFor("a.png"), efPng);
    EXPECT_EQ(ExportFormatFor("/x/A.PNG"), efPng);
    EXPECT_EQ(ExportFormatFor("a.bmp"), efBitmap);
    EXPECT_EQ(ExportFormatFor("a.png.bmp"), efBitmap);
    EXPECT_EQ(ExportFormatFor("/x.png/a"), efBitmap);
}

TEST_F(FrameExport, ABitmapHoldsTheFrameAloneInEightBitsWithItsPalette) {
    auto doc = TwoFrames();
    std::string error;
    ASSERT_EQ(ExportFrame(*doc->Frames[1], Path("f.bmp"), error), erWritten) << error;
    const auto bytes = FileBytes(Path("f.bmp"));
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[18], 3);                    // width
    EXPECT_EQ(bytes[22], 2);                    // height
    EXPECT_EQ(bytes[28], 8);                    // bits per pixel
    EXPECT_EQ(bytes[46] | bytes[47] << 8, 256); // palette entries
    const std::string rgba = MagickRGBA(Path("f.bmp"));
    ASSERT_EQ(rgba.size(), 3u * 2 * 4);
    for (int i = 0; i < 6; ++i) {
        const TColor want = doc->Frames[1]->Color(doc->Frames[1]->Pixels[std::size_t(i)]);
        EXPECT_EQ(
            RGB(std::uint8_t(rgba[i * 4]), std::uint8_t(rgba[i * 4 + 1]), std::uint8_t(rgba[i * 4 + 2])),
            want)
            << i;
    }
}

TEST_F(FrameExport, APngReadBackByImageMagickEqualsTheFrameWithItsTransparency) {
    auto doc = TwoFrames();
    const TGIFImageData& frame = *doc->Frames[0];
    std::string error;
    ASSERT_EQ(ExportFrame(frame, Path("f.png"), error), erWritten) << error;
    const std::string rgba = MagickRGBA(Path("f.png"));
    ASSERT_EQ(rgba.size(), 5u * 4 * 4);
    int clear = 0;
    for (std::size_t i = 0; i < frame.Pixels.size(); ++i) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(rgba.data()) + i * 4;
        if (frame.Pixels[i] == 3) {
            EXPECT_EQ(p[3], 0) << i;
            ++clear;
            continue;
        }
        EXPECT_EQ(p[3], 255) << i;
        EXPECT_EQ(RGB(p[0], p[1], p[2]), frame.Color(frame.Pixels[i])) << i;
    }
    EXPECT_EQ(clear, 2);
    // The indices themselves survive: ImageMagick keeps a paletted PNG paletted.
    const TShellRun type = RunShell("identify -format '%[type]' '" + Path("f.png") + "'");
    EXPECT_NE(type.Output.find("Palette"), std::string::npos) << type.Output;
}

TEST_F(FrameExport, AllFramesGoToNumberedFilesAndFramesWithoutPixelsAreSkipped) {
    auto doc = TwoFrames();
    doc->AddFrame(2, 2)->FreePixels();
    const TExportSummary summary = ExportAllFrames(*doc, Path("shot.v2.bmp"));
    EXPECT_FALSE(summary.Failed);
    EXPECT_EQ(summary.Written, 2);
    EXPECT_EQ(summary.Skipped, 1);
    EXPECT_EQ(Files(), std::vector<std::string>({"shot_1.bmp", "shot_2.bmp"}));
    std::string error;
    EXPECT_EQ(ExportFrame(*doc->Frames[2], Path("none.bmp"), error), erNoPixels);
    EXPECT_FALSE(fs::exists(Path("none.bmp")));
}

TEST_F(FrameExport, AFileThatCannotBeWrittenStopsTheExportWithTheReason) {
    auto doc = TwoFrames();
    const TExportSummary summary = ExportAllFrames(*doc, Path("missing/pic.png"));
    EXPECT_TRUE(summary.Failed);
    EXPECT_EQ(summary.Written, 0);
    EXPECT_EQ(summary.FailedPath, Path("missing/pic_1.png"));
    EXPECT_FALSE(summary.Error.empty());
}

TEST_F(FrameExport, ComposedStepsAreTheWholeScreenAsThePreviewShowsIt) {
    auto doc = TwoFrames();
    doc->Frames[0]->Control->SetDisposal(1);
    const TExportSummary summary =
        ExportComposedFrames(std::move(doc), DefaultPreviewBackground, Path("c.png"));
    EXPECT_FALSE(summary.Failed) << summary.Error;
    EXPECT_EQ(summary.Written, 2);
    const std::string second = MagickRGBA(Path("c_2.png"));
    ASSERT_EQ(second.size(), 5u * 4 * 4);
    auto at = [&second](int x, int y) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(second.data()) + (y * 5 + x) * 4;
        return RGB(p[0], p[1], p[2]);
    };
    auto reference = TwoFrames();
    // (0, 0) is index 0 of the first frame, kept; (3, 0) is its transparent index 3
    // over the background; (2, 1) is the second frame's first pixel.
    EXPECT_EQ(at(0, 0), reference->Frames[0]->Color(0));
    EXPECT_EQ(at(3, 0), DefaultPreviewBackground);
    EXPECT_EQ(at(2, 1), RGB(9, 8, 7));
}

TEST_F(FrameExport, AScreenTooLargeToComposeWritesNothing) {
    auto doc = TwoFrames();
    doc->ScreenWidth = 60000;
    doc->ScreenHeight = 60000;
    const TExportSummary summary =
        ExportComposedFrames(std::move(doc), DefaultPreviewBackground, Path("c.bmp"));
    EXPECT_TRUE(summary.Failed);
    EXPECT_NE(summary.Error.find("too large"), std::string::npos);
    EXPECT_TRUE(Files().empty());
}

// ---- writing over files that already exist

class FrameExportOverFiles : public FrameExport {
  protected:
    static void WriteText(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::string& path) {
        const std::vector<std::uint8_t> bytes = FileBytes(path);
        return {bytes.begin(), bytes.end()};
    }
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
        return st;
    }
    // The bytes the first frame exports to a fresh file of that extension.
    std::vector<std::uint8_t> FreshExport(const std::string& extension) {
        auto doc = TwoFrames();
        const std::string path = Path("fresh" + extension);
        std::string error;
        EXPECT_EQ(ExportFrame(*doc->Frames[0], path, error), erWritten) << error;
        std::vector<std::uint8_t> bytes = FileBytes(path);
        fs::remove(path);
        return bytes;
    }
};

TEST_F(FrameExportOverFiles, AHardLinkedPictureKeepsItsLinkAndBothNamesShowTheNewPicture) {
    const std::vector<std::uint8_t> expected = FreshExport(".bmp");
    ASSERT_GT(expected.size(), 54u);
    WriteText(Path("pic_1.bmp"), "an older picture");
    ASSERT_EQ(::link(Path("pic_1.bmp").c_str(), Path("other.bmp").c_str()), 0);
    const ino_t inode = Stat(Path("pic_1.bmp")).st_ino;
    auto doc = TwoFrames();
    doc->Frames.resize(1);
    const TExportSummary summary = ExportAllFrames(*doc, Path("pic.bmp"));
    ASSERT_FALSE(summary.Failed) << summary.Error;
    EXPECT_EQ(summary.Written, 1);
    EXPECT_EQ(FileBytes(Path("pic_1.bmp")), expected);
    EXPECT_EQ(FileBytes(Path("other.bmp")), expected);
    EXPECT_EQ(Stat(Path("pic_1.bmp")).st_ino, inode);
    EXPECT_EQ(Stat(Path("pic_1.bmp")).st_nlink, 2u);
    EXPECT_EQ(Files(), std::vector<std::string>({"other.bmp", "pic_1.bmp"})); // no temporary file
}

TEST_F(FrameExportOverFiles, AReplacedPictureKeepsItsMode) {
    WriteText(Path("f.png"), "old");
    ASSERT_EQ(::chmod(Path("f.png").c_str(), 0604), 0);
    auto doc = TwoFrames();
    std::string error;
    ASSERT_EQ(ExportFrame(*doc->Frames[0], Path("f.png"), error), erWritten) << error;
    EXPECT_EQ(FileBytes(Path("f.png")), FreshExport(".png"));
    EXPECT_EQ(Stat(Path("f.png")).st_mode & 07777, 0604u);
}

TEST_F(FrameExportOverFiles, ASymbolicLinkStaysALinkAndThePictureGoesToTheFileItNames) {
    fs::create_directory(Path("real"));
    WriteText(Path("real/shot.bmp"), "old");
    ASSERT_EQ(::symlink("real/shot.bmp", Path("link.bmp").c_str()), 0);
    auto doc = TwoFrames();
    std::string error;
    ASSERT_EQ(ExportFrame(*doc->Frames[1], Path("link.bmp"), error), erWritten) << error;
    EXPECT_TRUE(S_ISLNK(Stat(Path("link.bmp")).st_mode));
    EXPECT_EQ(fs::read_symlink(Path("link.bmp")).string(), "real/shot.bmp");
    const std::vector<std::uint8_t> picture = FileBytes(Path("real/shot.bmp"));
    ASSERT_GT(picture.size(), 54u);
    EXPECT_EQ(picture[0], 'B');
    EXPECT_EQ(picture[18], 3); // the second frame: 3 x 2
    EXPECT_EQ(picture[22], 2);
}

TEST_F(FrameExportOverFiles, AnExportThatFailsHalfWayLeavesTheOldPictureWhole) {
    WriteText(Path("pic_1.bmp"), "the old picture");
    auto doc = TwoFrames();
    TExportSummary summary;
    {
        TFileSizeLimit limit(512); // an 8-bit bitmap with its palette is over 1 KB
        summary = ExportAllFrames(*doc, Path("pic.bmp"));
    }
    EXPECT_TRUE(summary.Failed);
    EXPECT_EQ(summary.Written, 0);
    EXPECT_EQ(summary.FailedPath, Path("pic_1.bmp"));
    EXPECT_EQ(summary.Error, "File too large");
    EXPECT_EQ(ReadText(Path("pic_1.bmp")), "the old picture");
    EXPECT_EQ(Files(), std::vector<std::string>({"pic_1.bmp"}));
}

TEST_F(FrameExportOverFiles, AFolderInThePlaceOfThePictureIsReportedAndKept) {
    fs::create_directory(Path("pic_1.png"));
    auto doc = TwoFrames();
    const TExportSummary summary = ExportAllFrames(*doc, Path("pic.png"));
    EXPECT_TRUE(summary.Failed);
    EXPECT_EQ(summary.FailedPath, Path("pic_1.png"));
    EXPECT_EQ(summary.Error, "Is a directory");
    EXPECT_TRUE(fs::is_directory(Path("pic_1.png")));
}

// ---- files of another user (root, acting as a second user whom permissions bind)

class FrameExportAsAnotherUser : public FrameExportOverFiles {
  protected:
    void SetUp() override {
        if (!FindTestUser(User)) GTEST_SKIP() << "needs root to make and act as a second user (useradd)";
        ASSERT_EQ(::chown(Folder.path().toStdString().c_str(), User.Uid, User.Gid), 0);
    }
    TTestUser User;
};

TEST_F(FrameExportAsAnotherUser, AWriteProtectedPictureIsRefusedNamingTheUsersFile) {
    WriteText(Path("ro_1.bmp"), "kept");
    ASSERT_EQ(::chown(Path("ro_1.bmp").c_str(), User.Uid, User.Gid), 0);
    ASSERT_EQ(::chmod(Path("ro_1.bmp").c_str(), 0444), 0);
    auto doc = TwoFrames();
    TExportSummary summary;
    std::string error;
    TFrameExportResult single = erWritten;
    {
        TActAs as(User);
        ASSERT_TRUE(as.Ok());
        summary = ExportAllFrames(*doc, Path("ro.bmp"));
        single = ExportFrame(*doc->Frames[0], Path("ro_1.bmp"), error);
    }
    EXPECT_TRUE(summary.Failed);
    EXPECT_EQ(summary.Written, 0);
    EXPECT_EQ(summary.FailedPath, Path("ro_1.bmp"));
    EXPECT_EQ(summary.Error, "Permission denied");
    EXPECT_EQ(single, erFailed);
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(ReadText(Path("ro_1.bmp")), "kept");
    EXPECT_EQ(Files(), std::vector<std::string>({"ro_1.bmp"})); // no temporary file left
}

TEST_F(FrameExportAsAnotherUser, AWritablePictureInAFolderTheUserCannotWriteIsWrittenInPlace) {
    ASSERT_EQ(::chown(Folder.path().toStdString().c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(Folder.path().toStdString().c_str(), 0755), 0);
    WriteText(Path("mine.png"), "old");
    ASSERT_EQ(::chown(Path("mine.png").c_str(), User.Uid, User.Gid), 0);
    const ino_t inode = Stat(Path("mine.png")).st_ino;
    auto doc = TwoFrames();
    std::string error;
    TFrameExportResult result = erFailed;
    {
        TActAs as(User);
        ASSERT_TRUE(as.Ok());
        result = ExportFrame(*doc->Frames[0], Path("mine.png"), error);
    }
    ASSERT_EQ(result, erWritten) << error;
    EXPECT_EQ(FileBytes(Path("mine.png")), FreshExport(".png"));
    EXPECT_EQ(Stat(Path("mine.png")).st_ino, inode);
    EXPECT_EQ(Stat(Path("mine.png")).st_uid, User.Uid);
}

TEST_F(FrameExportAsAnotherUser, AReplacedPictureKeepsItsOwner) {
    ASSERT_EQ(::chmod(Folder.path().toStdString().c_str(), 0755), 0);
    WriteText(Path("theirs.bmp"), "old");
    ASSERT_EQ(::chown(Path("theirs.bmp").c_str(), User.Uid, User.Gid), 0);
    ASSERT_EQ(::chmod(Path("theirs.bmp").c_str(), 0640), 0);
    auto doc = TwoFrames();
    std::string error;
    ASSERT_EQ(ExportFrame(*doc->Frames[0], Path("theirs.bmp"), error), erWritten) << error; // as root
    EXPECT_EQ(FileBytes(Path("theirs.bmp")), FreshExport(".bmp"));
    EXPECT_EQ(Stat(Path("theirs.bmp")).st_uid, User.Uid);
    EXPECT_EQ(Stat(Path("theirs.bmp")).st_gid, User.Gid);
    EXPECT_EQ(Stat(Path("theirs.bmp")).st_mode & 07777, 0640u);
}

} // namespace
