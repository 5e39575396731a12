#include "editor/FrameImport.h"
#include "gifdata/GifData.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

const std::string Data = FRAMELOOM_TEST_DATA;

class FrameImport : public ::testing::Test {
  protected:
    QTemporaryDir Dir;
    TGIFData Doc;
    std::string Path(const std::string& name) {
        return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }
    void SetUp() override {
        SetIOErrorHandler(nullptr);
        Doc.ScreenWidth = 500;
        Doc.ScreenHeight = 500;
    }
    std::string Copy(const std::string& from, const std::string& name) {
        QFile::copy(QString::fromStdString(from), QString::fromStdString(Path(name)));
        return Path(name);
    }
};

TEST_F(FrameImport, PicturesAndGifFramesBecomeFramesAndTheScreenFitsThem) {
    const TImportResult r =
        ImportFrameFiles(Doc, {Data + "/picture.jpg", Data + "/anim2.gif", Data + "/picture.ico"});
    EXPECT_EQ(r.Stop, isNone);
    EXPECT_EQ(r.FramesAdded, 4);
    ASSERT_EQ(Doc.Frames.size(), 4u);
    EXPECT_EQ(Doc.Frames[0]->Width, 16);
    EXPECT_EQ(Doc.Frames[1]->Width, 12);
    EXPECT_EQ(Doc.Frames[3]->Width, 32);
    EXPECT_TRUE(r.ScreenChanged);
    EXPECT_EQ(Doc.ScreenWidth, 32); // the screen shrinks to the frames' box
    EXPECT_EQ(Doc.ScreenHeight, 32);
    for (const auto& f : Doc.Frames) {
        EXPECT_TRUE(f->HasLocalTable());
        EXPECT_EQ(f->Left, 0);
        EXPECT_EQ(f->Top, 0);
        ASSERT_TRUE(f->Thumbnail);
    }
    // The GIF's second frame keeps its transparency; its colours survive.
    const TGIFImageData& opaque = *Doc.Frames[1];
    const TGIFImageData& clear = *Doc.Frames[2];
    EXPECT_FALSE(opaque.Control->Transparent());
    ASSERT_TRUE(clear.Control->Transparent());
    EXPECT_EQ(opaque.Color(opaque.Pixels[0]), RGB(0, 255, 0));
    EXPECT_EQ(clear.Color(clear.Pixels[1 * 12 + 1]), RGB(255, 0, 0));
    EXPECT_EQ(clear.Pixels[5 * 12 + 5], clear.Control->TransparentIndex);
    // The model's defaults, not the file's delay of 20.
    EXPECT_EQ(clear.Control->DelayTime, TGIFGraphicControlExtension().DelayTime);
    EXPECT_EQ(clear.Control->Disposal(), 2);
    // A transparent icon pixel is white on the frame.
    const TGIFImageData& icon = *Doc.Frames[3];
    EXPECT_EQ(icon.Color(icon.Pixels[31 * 32 + 31]), RGB(247, 247, 247));
}

TEST_F(FrameImport, AFileThatCannotBeLoadedStopsTheImportKeepingEarlierFrames) {
    const std::string bad = Path("broken.png");
    FILE* f = std::fopen(bad.c_str(), "wb");
    std::fputs("not a picture", f);
    std::fclose(f);
    const TImportResult r = ImportFrameFiles(Doc, {Data + "/picture24.bmp", bad, Data + "/picture.jpg"});
    EXPECT_EQ(r.Stop, isLoadFailed);
    EXPECT_EQ(r.Message, "Can not load file \"" + bad + "\"");
    EXPECT_FALSE(r.Reason.empty());
    EXPECT_EQ(r.FramesAdded, 1);
    ASSERT_EQ(Doc.Frames.size(), 1u);
    EXPECT_EQ(Doc.ScreenWidth, 16); // still fitted after the stop
}

TEST_F(FrameImport, AnUnknownExtensionEndsTheImportWithoutAMessage) {
    const std::string text = Copy(Data + "/picture.jpg", "picture.txt");
    const TImportResult r = ImportFrameFiles(Doc, {Data + "/picture.jpg", text, Data + "/picture24.bmp"});
    EXPECT_EQ(r.Stop, isUnknownExtension);
    EXPECT_EQ(r.StoppedAt, text);
    EXPECT_TRUE(r.Message.empty());
    EXPECT_EQ(Doc.Frames.size(), 1u);
}

TEST_F(FrameImport, ExtensionsAreMatchedInAnyCase) {
    const std::string upper = Copy(Data + "/anim2.gif", "ANIM.GiF");
    const std::string jpeg = Copy(Data + "/picture.jpg", "photo.JPEG");
    const TImportResult r = ImportFrameFiles(Doc, {upper, jpeg});
    EXPECT_EQ(r.Stop, isNone);
    EXPECT_EQ(r.FramesAdded, 3);
}

TEST_F(FrameImport, ABrokenGifStopsLikeAnyOtherPicture) {
    const std::string bad = Path("bad.gif");
    FILE* f = std::fopen(bad.c_str(), "wb");
    std::fputs("GIF89a", f); // ends inside the screen descriptor
    std::fclose(f);
    std::string reported;
    SetIOErrorHandler([&](const std::string& reason) { reported = reason; });
    const TImportResult r = ImportFrameFiles(Doc, {bad, Data + "/picture.jpg"});
    SetIOErrorHandler(nullptr);
    EXPECT_EQ(r.Stop, isLoadFailed);
    EXPECT_EQ(r.Message, "Can not load file \"" + bad + "\"");
    EXPECT_TRUE(Doc.Frames.empty());
    EXPECT_FALSE(r.ScreenChanged); // no frames: the screen stays
    EXPECT_EQ(Doc.ScreenWidth, 500);
}

} // namespace
