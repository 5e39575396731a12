// Damaged files: every truncation and many corruptions of valid files end in
// true or false by the reader's rules, never in a crash or a hang.

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "GifTestBytes.h"

namespace {

using namespace giftest;

// Two frames with every kind of block: looping, titles, comment, plain text,
// local table, interlace, transparency.
Bytes RichFile() {
    TGIFData doc;
    doc.ScreenWidth = 12;
    doc.ScreenHeight = 10;
    doc.ScreenFlags = 0xF2;
    doc.Looping = true;
    doc.LoopCount = 4;
    TGIFImageData* a = doc.AddFrame(12, 10);
    for (std::size_t i = 0; i < a->Pixels.size(); ++i) a->Pixels[i] = std::uint8_t(i * 5 % 8);
    a->Title = "first";
    auto comment = std::make_unique<TGIFCommentExtension>();
    comment->Text = "comment";
    a->Extensions.push_back(std::move(comment));
    TGIFImageData* b = doc.AddFrame(5, 9);
    b->Left = 3;
    b->Top = 1;
    b->SetInterlaced(true);
    b->SetHasLocalTable(true);
    b->SetLocalTableSize(1);
    for (std::size_t i = 0; i < b->Pixels.size(); ++i) b->Pixels[i] = std::uint8_t(i % 4);
    b->Control->SetTransparent(true);
    b->Control->TransparentIndex = 3;
    auto text = std::make_unique<TGIFTextExtension>();
    text->Text = "plain";
    b->Extensions.push_back(std::move(text));
    doc.UpdateGlobalUsage();
    b->UpdateLocalUsage();
    return Save(doc);
}

TEST(GifBadInput, EveryTruncationFailsAndKeepsTheFramesBeforeTheCut) {
    const Bytes full = RichFile();
    ASSERT_FALSE(full.empty());
    TGIFData complete;
    ASSERT_TRUE(Load(complete, full));
    ASSERT_EQ(complete.Frames.size(), 2u);
    std::size_t previousFrames = 0;
    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        TGIFData doc;
        TIOErrorLog log;
        EXPECT_FALSE(Load(doc, Bytes(full.begin(), full.begin() + long(cut)))) << cut;
        EXPECT_LE(log.Messages.size(), 1u) << cut;
        // Frames only ever accumulate as the cut moves on.
        EXPECT_GE(doc.Frames.size(), previousFrames) << cut;
        previousFrames = doc.Frames.size();
        for (std::size_t i = 0; i < doc.Frames.size(); ++i) {
            const TGIFImageData& got = *doc.Frames[i];
            const TGIFImageData& want = *complete.Frames[i];
            ASSERT_EQ(got.PixelCount, want.PixelCount);
            // Pixels decoded before the cut match; the rest stay index 1.
            for (std::int32_t p = 0; p < got.PixelCount; ++p) {
                if (got.Pixels[std::size_t(p)] != want.Pixels[std::size_t(p)]) {
                    ASSERT_EQ(got.Pixels[std::size_t(p)], 1)
                        << "cut " << cut << " frame " << i << " pixel " << p;
                }
            }
        }
    }
    EXPECT_EQ(previousFrames, 2u);
    TGIFData doc;
    EXPECT_TRUE(Load(doc, full));
}

TEST(GifBadInput, CorruptedBytesNeverCrashAndReadBackAfterASave) {
    const Bytes full = RichFile();
    std::mt19937 random(2024);
    for (int round = 0; round < 1500; ++round) {
        Bytes bytes = full;
        int flips = 1 + int(random() % 4);
        for (int k = 0; k < flips; ++k) bytes[random() % bytes.size()] = std::uint8_t(random());
        TGIFData doc;
        TIOErrorLog log;
        bool loaded = Load(doc, bytes);
        if (loaded) {
            EXPECT_TRUE(log.Messages.empty()) << round;
        }
        EXPECT_LE(log.Messages.size(), 1u) << round;
        // The usage flags the reader sets are those a full recount gives.
        for (const auto& frame : doc.Frames) {
            const TPalette read = frame->LocalPalette;
            frame->UpdateLocalUsage();
            EXPECT_EQ(read, frame->LocalPalette) << round;
        }
        // Whatever was read saves and reads back (corrupt sizes can make big
        // frames, which only slow the test down).
        std::int64_t pixels = 0;
        for (const auto& frame : doc.Frames) pixels += frame->PixelCount;
        if (pixels > 100000) continue;
        doc.CompactPalettes();
        Bytes saved = Save(doc);
        ASSERT_FALSE(saved.empty()) << round;
        TGIFData again;
        EXPECT_TRUE(Load(again, saved)) << round;
    }
}

TEST(GifBadInput, RandomDataAfterAValidHeaderEndsCleanly) {
    std::mt19937 random(77);
    for (int round = 0; round < 2000; ++round) {
        TGifBuilder b;
        b.Header(1 + int(random() % 50), 1 + int(random() % 50), 0x80 | int(random() % 8));
        Bytes tail(random() % 200);
        for (auto& byte : tail) byte = std::uint8_t(random());
        // Mostly well-formed block starts, so the parser goes deep.
        if (!tail.empty()) tail[0] = std::array<std::uint8_t, 3>{0x21, 0x2C, 0x3B}[random() % 3];
        b.Raw(tail);
        TGIFData doc;
        TIOErrorLog log;
        Load(doc, b.Data);
        EXPECT_LE(log.Messages.size(), 1u);
    }
}

} // namespace
