// The writer: exact bytes of every block, failures part-way through a stream,
// and file saves that never damage the file they replace.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>

#include "GifTestBytes.h"
#include "support/TestUser.h"

namespace {

using namespace giftest;
namespace fs = std::filesystem;

Bytes Header16(int width = 128, int height = 128) {
    // GIF89a, the screen size, a 16-entry global table of black.
    Bytes out(13 + 48, 0);
    const std::uint8_t head[13] = {'G',
                                   'I',
                                   'F',
                                   '8',
                                   '9',
                                   'a',
                                   std::uint8_t(width),
                                   std::uint8_t(width >> 8),
                                   std::uint8_t(height),
                                   std::uint8_t(height >> 8),
                                   0xA3,
                                   0,
                                   0};
    std::copy(std::begin(head), std::end(head), out.begin());
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A stream that takes only the first Limit bytes, then refuses everything.
class TFailingStream : public TMemoryStream {
  public:
    explicit TFailingStream(std::size_t limit) : Limit(limit) {}
    std::size_t Write(const void* buffer, std::size_t count) override {
        std::size_t room = Size() >= std::int64_t(Limit) ? 0 : Limit - std::size_t(Size());
        return TMemoryStream::Write(buffer, std::min(count, room));
    }
    std::size_t Limit;
};

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A document exercising every block: looping, titles, local table, interlace,
// transparency, offsets, extensions, a frame without pixels.
void BuildRichDocument(TGIFData& doc) {
    doc.ScreenWidth = 9;
    doc.ScreenHeight = 7;
    doc.ScreenFlags = 0xF2;
    for (int i = 0; i < 8; ++i) doc.GlobalPalette[std::size_t(i)] = {std::uint8_t(i * 30), 5, 9, 0};
    doc.BackgroundIndex = 2;
    doc.Looping = true;
    doc.LoopCount = 3;
    TGIFImageData* a = doc.AddFrame(3, 2);
    a->Pixels = {0, 1, 2, 3, 4, 5};
    a->Title = "first";
    a->Control->DelayTime = 25;
    TGIFImageData* b = doc.AddFrame(4, 5);
    b->Left = 5;
    b->Top = 2;
    b->SetHasLocalTable(true);
    b->SetInterlaced(true);
    b->SetLocalTableSize(1);
    for (int i = 0; i < 4; ++i)
        b->LocalPalette[std::size_t(i)] = {std::uint8_t(200 + i), 0, std::uint8_t(i), 0};
    for (int i = 0; i < 20; ++i) b->Pixels[std::size_t(i)] = std::uint8_t(i % 4);
    b->Control->SetTransparent(true);
    b->Control->TransparentIndex = 3;
    b->Control->SetDisposal(3);
    auto comment = std::make_unique<TGIFCommentExtension>();
    comment->Text = std::string(300, 'c');
    b->Extensions.push_back(std::move(comment));
    TGIFImageData* c = doc.AddFrame(0, 0);
    auto text = std::make_unique<TGIFTextExtension>();
    text->Text = "plain";
    c->Extensions.push_back(std::move(text));
    doc.UpdateGlobalUsage();
    b->UpdateLocalUsage();
}

TEST(GifWriterBytes, NewDocumentIsHeaderTableAndTrailer) {
    TGIFData doc;
    Bytes bytes = Save(doc);
    EXPECT_EQ(bytes, Concat({Header16(), {0x3B}}));
    EXPECT_EQ(bytes.size(), 13u + 48u + 1u);
}

TEST(GifWriterBytes, NoGlobalTableFlagMeansNoTable) {
    TGIFData doc;
    doc.ScreenFlags = 0x23;
    doc.ScreenWidth = 0x0102;
    doc.AspectRatio = 49;
    doc.BackgroundIndex = 7;
    EXPECT_EQ(Save(doc), (Bytes{'G', 'I', 'F', '8', '9', 'a', 0x02, 0x01, 128, 0, 0x23, 7, 49, 0x3B}));
}

TEST(GifWriterBytes, Version87aIsWrittenAs89aAndKeptInMemory) {
    TGIFData doc;
    doc.Version = "87a";
    doc.Signature = "GIF";
    Bytes bytes = Save(doc);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_EQ(doc.Version, "87a");
}

TEST(GifWriterBytes, LoopingBlockCarriesTheCountLittleEndian) {
    TGIFData doc;
    doc.Looping = true;
    doc.LoopCount = 0x0102;
    Bytes loop{0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
               'E',  '2',  '.',  '0', 0x03, 0x01, 0x02, 0x01, 0x00};
    EXPECT_EQ(Save(doc), Concat({Header16(), loop, {0x3B}}));
}

TEST(GifWriterBytes, CommentOnlyFrameHasNoImageDescriptor) {
    TGIFData doc;
    TGIFImageData* frame = doc.AddFrame(0, 0);
    auto comment = std::make_unique<TGIFCommentExtension>();
    comment->Text = "hi";
    frame->Extensions.push_back(std::move(comment));
    Bytes titles{0x21, 0xFF, 0x0B, 'K', 'E', 'S',  'T',  'R',  'A',
                 'L',  'L',  '1',  '.', '0', 0x02, 0x00, 0x01, 0x00};
    Bytes control{0x21, 0xF9, 0x04, 0x08, 10, 0, 0, 0x00};
    Bytes hi{0x21, 0xFE, 0x02, 0x68, 0x69, 0x00};
    EXPECT_EQ(Save(doc), Concat({Header16(), titles, control, hi, {0x3B}}));
}

TEST(GifWriterBytes, ApplicationIdentifiersArePaddedAndCut) {
    TGIFApplicationExtension app;
    app.Identifier = "AB";
    app.AuthCode = "x";
    TMemoryStream out;
    ASSERT_TRUE(app.WriteBlock(out));
    EXPECT_EQ(out.Bytes(), (Bytes{0x0B, 'A', 'B', ' ', ' ', ' ', ' ', ' ', ' ', 'x', ' ', ' ', 0x00}));

    app.Identifier = "ABCDEFGHIJ";
    app.AuthCode = "12345";
    app.Data = "z";
    TMemoryStream cut;
    ASSERT_TRUE(app.WriteBlock(cut));
    EXPECT_EQ(cut.Bytes(),
              (Bytes{0x0B, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '2', '3', 0x01, 'z', 0x00}));
}

TEST(GifWriterBytes, ThreeTitlesGoInOneSixByteSubBlock) {
    TGIFData doc;
    doc.AddFrame(0, 0)->Title = "a";
    doc.AddFrame(0, 0);
    doc.AddFrame(0, 0)->Title = "b";
    Bytes bytes = Save(doc);
    Bytes titles{0x21, 0xFF, 0x0B, 'K',  'E',  'S',  'T',  'R',  'A',  'L',  'L',
                 '1',  '.',  '0',  0x06, 0x61, 0x00, 0x00, 0x62, 0x00, 0x01, 0x00};
    ASSERT_GE(bytes.size(), 61u + titles.size());
    EXPECT_EQ(Bytes(bytes.begin() + 61, bytes.begin() + 61 + long(titles.size())), titles);
}

TEST(GifWriterBytes, DocumentWhoseFramesWereDeletedKeepsItsLoadedTitles) {
    TGIFData doc;
    doc.AddFrame(1, 1)->Title = "t";
    doc.UpdateGlobalUsage();
    TGIFData loaded;
    ASSERT_TRUE(Load(loaded, Save(doc)));
    ASSERT_TRUE(loaded.DeleteFrame(0));
    Bytes titles{0x21, 0xFF, 0x0B, 'K', 'E',  'S', 'T',  'R',  'A', 'L',
                 'L',  '1',  '.',  '0', 0x03, 't', 0x00, 0x01, 0x00};
    EXPECT_EQ(Save(loaded), Concat({Header16(), titles, {0x3B}}));
}

TEST(GifWriterBytes, SubBlockChains) {
    TMemoryStream empty;
    ASSERT_TRUE(WriteSubBlocks(empty, ""));
    EXPECT_EQ(empty.Bytes(), Bytes{0x00});

    std::string payload(300, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = char(i);
    TMemoryStream chain;
    ASSERT_TRUE(WriteSubBlocks(chain, payload));
    const Bytes& bytes = chain.Bytes();
    ASSERT_EQ(bytes.size(), 1u + 255 + 1 + 45 + 1);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[255], 254);
    EXPECT_EQ(bytes[256], 0x2D);
    EXPECT_EQ(bytes[257], 255);
    EXPECT_EQ(bytes[301], 299 & 0xFF);
    EXPECT_EQ(bytes[302], 0x00);

    TMemoryStream exact; // 255 bytes: one full block, then the terminator
    ASSERT_TRUE(WriteSubBlocks(exact, std::string(255, 'x')));
    EXPECT_EQ(exact.Bytes().size(), 257u);
    EXPECT_EQ(exact.Bytes().back(), 0);
}

TEST(GifWriterBytes, PlainTextAndControlBodies) {
    TGIFTextExtension text;
    text.GridLeft = 0x0102;
    text.GridTop = 3;
    text.GridWidth = 4;
    text.GridHeight = 5;
    text.Text = "ok";
    TMemoryStream out;
    ASSERT_TRUE(text.WriteBlock(out));
    EXPECT_EQ(out.Bytes(), (Bytes{0x0C, 2, 1, 3, 0, 4, 0, 5, 0, 8, 8, 1, 0, 2, 'o', 'k', 0}));

    TGIFGraphicControlExtension control;
    control.ControlFlags = 0xE5;
    control.DelayTime = 0x1234;
    control.TransparentIndex = 9;
    TMemoryStream body;
    ASSERT_TRUE(control.WriteBlock(body));
    EXPECT_EQ(body.Bytes(), (Bytes{0x04, 0xE5, 0x34, 0x12, 9, 0}));
}

TEST(GifWriterBytes, FrameWithPixelsWritesDescriptorLocalTableAndImageData) {
    TGIFData doc;
    TGIFImageData* frame = doc.AddFrame(2, 2);
    frame->Left = 0x0304;
    frame->Top = 5;
    frame->Pixels = {0, 0, 0, 0};
    frame->SetHasLocalTable(true);
    frame->SetLocalTableSize(0);
    frame->LocalPalette[0] = {1, 2, 3, 0};
    frame->LocalPalette[1] = {4, 5, 6, 0};
    frame->UpdateLocalUsage();
    TMemoryStream out;
    ASSERT_TRUE(frame->WriteFrame(out));
    Bytes expected{0x21, 0xF9, 0x04, 0x08, 10,  0, 0, 0x00,          // control block
                   0x2C, 0x04, 0x03, 5,    0,   2, 0, 2,    0, 0x80, // descriptor
                   1,    2,    3,    4,    5,   6,                   // local table
                   0x02, 0x02, 0x84, 0x51, 0x00};                    // image data
    EXPECT_EQ(out.Bytes(), expected);
}

TEST(GifWriterBytes, FrameWithMismatchedPixelBufferIsRefusedNotOverread) {
    TGIFData doc;
    TGIFImageData* frame = doc.AddFrame(2, 2);
    frame->Width = 50; // the buffer still holds 4 pixels
    TIOErrorLog log;
    TMemoryStream out;
    EXPECT_FALSE(frame->WriteFrame(out));
    EXPECT_EQ(log.Messages.size(), 1u);
}

TEST(GifWriterRoundTrip, RichDocumentReadsBackFieldForField) {
    TGIFData doc;
    BuildRichDocument(doc);
    Bytes bytes = Save(doc);
    ASSERT_FALSE(bytes.empty());
    TGIFData back;
    TIOErrorLog log;
    ASSERT_TRUE(Load(back, bytes));
    EXPECT_TRUE(log.Messages.empty());
    EXPECT_EQ(back.ScreenWidth, 9);
    EXPECT_EQ(back.ScreenFlags, 0xF2);
    EXPECT_EQ(back.BackgroundIndex, 2);
    EXPECT_TRUE(back.Looping);
    EXPECT_EQ(back.LoopCount, 3);
    ASSERT_EQ(back.Frames.size(), 2u); // the frame without pixels has no image: its blocks are dropped
    for (std::size_t i = 0; i < 2; ++i) {
        const TGIFImageData& want = *doc.Frames[i];
        const TGIFImageData& got = *back.Frames[i];
        EXPECT_EQ(got.Left, want.Left);
        EXPECT_EQ(got.Top, want.Top);
        EXPECT_EQ(got.Width, want.Width);
        EXPECT_EQ(got.Height, want.Height);
        EXPECT_EQ(got.ImageFlags, want.ImageFlags);
        EXPECT_EQ(got.Pixels, want.Pixels);
        EXPECT_EQ(got.Control->ControlFlags, want.Control->ControlFlags);
        EXPECT_EQ(got.Control->DelayTime, want.Control->DelayTime);
        EXPECT_EQ(got.Control->TransparentIndex, want.Control->TransparentIndex);
        EXPECT_EQ(got.Title, want.Title);
        EXPECT_EQ(got.LocalPalette, want.LocalPalette);
    }
    ASSERT_EQ(back.Frames[1]->Extensions.size(), 1u);
    EXPECT_EQ(dynamic_cast<TGIFCommentExtension&>(*back.Frames[1]->Extensions[0]).Text,
              std::string(300, 'c'));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(back.GlobalPalette[std::size_t(i)], doc.GlobalPalette[std::size_t(i)]);
    // A document that was read saves to bytes that read back to the same bytes.
    Bytes again = Save(back);
    TGIFData third;
    ASSERT_TRUE(Load(third, again));
    EXPECT_EQ(Save(third), again);
}

TEST(GifWriterFailures, StreamFailingAtEveryOffsetReportsOnceAndWritesNoTrailer) {
    TGIFData doc;
    BuildRichDocument(doc);
    const Bytes full = Save(doc);
    for (std::size_t limit = 0; limit < full.size(); ++limit) {
        TFailingStream out(limit);
        TIOErrorLog log;
        EXPECT_FALSE(doc.SaveToStream(out)) << limit;
        EXPECT_EQ(log.Messages.size(), 1u) << limit;
        EXPECT_EQ(out.Bytes(),
                  Bytes(full.begin(), full.begin() + long(std::min<std::size_t>(limit, out.Bytes().size()))))
            << limit;
        EXPECT_LE(out.Bytes().size(), limit);
    }
    TFailingStream enough(full.size());
    EXPECT_TRUE(doc.SaveToStream(enough));
    EXPECT_EQ(enough.Bytes(), full);
}

// Files in a fresh folder per test.
class GifSaveToFile : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder =
            fs::temp_directory_path() / ("frameloom-save-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(Folder)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path Folder;
};

TEST_F(GifSaveToFile, WritesTheSameBytesAsTheStreamAndReplacesAnOldFile) {
    TGIFData doc;
    BuildRichDocument(doc);
    fs::path target = Folder / "out.gif";
    WriteFile(target, Bytes(5000, 0xEE));
    ::chmod(target.c_str(), 0640);
    ASSERT_TRUE(doc.SaveToFile(target.string()));
    EXPECT_EQ(ReadFile(target), Save(doc));
    EXPECT_EQ(Entries(), std::vector<std::string>{"out.gif"}); // no temporary left behind
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the replaced file's permissions are kept
    TGIFData back;
    EXPECT_TRUE(back.LoadFromFile(target.string()));
    EXPECT_EQ(back.Frames.size(), 2u);
}

TEST_F(GifSaveToFile, SavingThroughALinkReplacesTheLinkedFile) {
    TGIFData doc;
    fs::path real = Folder / "real.gif";
    WriteFile(real, {1, 2, 3});
    fs::create_symlink(real, Folder / "link.gif");
    ASSERT_TRUE(doc.SaveToFile((Folder / "link.gif").string()));
    EXPECT_TRUE(fs::is_symlink(Folder / "link.gif"));
    EXPECT_EQ(ReadFile(real), Save(doc));
}

TEST_F(GifSaveToFile, AHardLinkedFileKeepsItsLinksAndEveryNameShowsTheNewFile) {
    TGIFData doc;
    BuildRichDocument(doc);
    const fs::path target = Folder / "shared.gif", other = Folder / "other-name.gif";
    WriteFile(target, Bytes(100, 0xEE));
    fs::create_hard_link(target, other);
    ASSERT_TRUE(doc.SaveToFile(target.string()));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(ReadFile(other), Save(doc));
}

TEST_F(GifSaveToFile, SomeoneElsesFileKeepsItsOwner) {
    TTestUser user;
    if (!FindTestUser(user))
        GTEST_SKIP() << "needs root to make a second user (useradd) and give them a file";
    TGIFData doc;
    const fs::path target = Folder / "theirs.gif";
    WriteFile(target, {1, 2, 3});
    ASSERT_EQ(::chown(target.c_str(), user.Uid, user.Gid), 0);
    ASSERT_TRUE(doc.SaveToFile(target.string()));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, user.Uid);
    EXPECT_EQ(info.st_gid, user.Gid);
    EXPECT_EQ(ReadFile(target), Save(doc));
}

TEST_F(GifSaveToFile, AWriteProtectedFileIsRefusedNamingItNotATemporaryFile) {
    TTestUser user;
    if (!FindTestUser(user)) GTEST_SKIP() << "needs root to act as a second user, whom permissions bind";
    TGIFData doc;
    const fs::path target = Folder / "ro.gif";
    WriteFile(target, {1, 2, 3});
    ASSERT_EQ(::chown(Folder.c_str(), user.Uid, user.Gid), 0);
    ASSERT_EQ(::chown(target.c_str(), user.Uid, user.Gid), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    TIOErrorLog log;
    bool saved = true;
    {
        TActAs as(user);
        ASSERT_TRUE(as.Ok());
        saved = doc.SaveToFile(target.string());
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0], "Cannot create file \"" + target.string() + "\". Permission denied");
    EXPECT_EQ(ReadFile(target), (Bytes{1, 2, 3}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"ro.gif"});
}

TEST_F(GifSaveToFile, MissingFolderFailsWithAMessageAndWritesNothing) {
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(doc.SaveToFile((Folder / "missing" / "out.gif").string()));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_NE(log.Messages[0].find("missing"), std::string::npos);
    EXPECT_TRUE(Entries().empty());
}

TEST_F(GifSaveToFile, WriteFailingPartWayLeavesTheOldFileByteForByte) {
    TGIFData doc;
    BuildRichDocument(doc);
    TGIFImageData* big = doc.AddFrame(300, 300); // about 40 kB of image data
    for (std::size_t i = 0; i < big->Pixels.size(); ++i)
        big->Pixels[i] = std::uint8_t((i * 2654435761u) >> 29);
    doc.UpdateGlobalUsage();
    fs::path target = Folder / "keep.gif";
    Bytes old(3000);
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = std::uint8_t(i * 7);
    WriteFile(target, old);

    // The file size limit makes the system refuse writes past 8 kB, even for root.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    TIOErrorLog log;
    bool saved_ok = doc.SaveToFile(target.string());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(ReadFile(target), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.gif"});
}

} // namespace
