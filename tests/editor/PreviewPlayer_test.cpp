// The preview player, driven by a fake clock: frame durations, the shortening
// by half the drawing time, passes, and compositions compared pixel for pixel
// with ImageMagick's coalesced frames of the same file.
#include "editor/PreviewPlayer.h"
#include "gifdata/GifData.h"

#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

namespace {

constexpr TColor Sky = DefaultPreviewBackground;

// A clock whose readings the test sets: Now, or the scripted readings first.
struct TFakeClock {
    std::int64_t Now = 0;
    std::deque<std::int64_t> Script;
    std::int64_t operator()() {
        if (!Script.empty()) {
            Now = Script.front();
            Script.pop_front();
        }
        return Now;
    }
};

// A document of frames of w x h at (0, 0) over a 4-colour global table
// (black, red, green, blue), each frame filled with index k of its position.
std::unique_ptr<TGIFData> Animation(int frames, int w, int h) {
    auto doc = std::make_unique<TGIFData>();
    doc->ThumbnailTemplate.reset();
    doc->ScreenWidth = std::uint16_t(w);
    doc->ScreenHeight = std::uint16_t(h);
    doc->ScreenFlags = 0x80 | 0x01; // global table of 4 entries
    doc->GlobalPalette[0] = {0, 0, 0, 1};
    doc->GlobalPalette[1] = {255, 0, 0, 1};
    doc->GlobalPalette[2] = {0, 255, 0, 1};
    doc->GlobalPalette[3] = {0, 0, 255, 1};
    for (int i = 0; i < frames; ++i) {
        TGIFImageData* frame = doc->AddFrame(w, h);
        std::fill(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(i % 4));
    }
    return doc;
}

void SetDelays(TGIFData& doc, std::initializer_list<int> delays) {
    std::size_t i = 0;
    for (int d : delays) doc.Frames[i++]->Control->DelayTime = std::uint16_t(d);
}

TColor At(const TBitmap& b, int x, int y) {
    return b.Pixel(x, y);
}

// --- durations and scheduling ---

TEST(PreviewTiming, DelaysBecomeTwelveMillisecondsPerHundredthWithZeroAsTenAndAFloorOfThree) {
    auto doc = Animation(1, 1, 1);
    TGIFImageData& frame = *doc->Frames[0];
    const std::pair<int, int> cases[] = {{1, 36}, {0, 120}, {250, 3000},    {2, 36},
                                         {3, 36}, {4, 48},  {65535, 786420}};
    for (auto [delay, ms] : cases) {
        frame.Control->DelayTime = std::uint16_t(delay);
        EXPECT_EQ(PreviewFrameDuration(frame), ms) << "delay " << delay;
    }
    frame.Control.reset();
    EXPECT_EQ(PreviewFrameDuration(frame), 120) << "a frame without a control block";
}

TEST(PreviewTiming, HalfTheDrawingTimeComesOffTheWait) {
    EXPECT_EQ(NextFrameDue(100, 100, 36), 136);
    EXPECT_EQ(NextFrameDue(100, 110, 36), 141);
    EXPECT_EQ(NextFrameDue(100, 111, 36), 142); // half of 11 is 5 whole milliseconds
}

TEST(PreviewTiming, FramesWithDelaysOneZeroAndTwoHundredFiftyStay36And120And3000Milliseconds) {
    auto doc = Animation(3, 2, 2);
    SetDelays(*doc, {1, 0, 250});
    doc->Looping = true; // endless, so the last frame's stay ends with the next pass
    TFakeClock clock;
    TPreviewPlayer player(std::move(doc), Sky, std::ref(clock));
    std::vector<std::pair<std::int64_t, int>> shown; // clock time, frame
    for (clock.Now = 0; clock.Now < 3192; ++clock.Now)
        if (player.Step()) shown.emplace_back(clock.Now, player.ShownFrame());
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], std::make_pair(std::int64_t(0), 0));
    EXPECT_EQ(shown[1], std::make_pair(std::int64_t(36), 1));
    EXPECT_EQ(shown[2], std::make_pair(std::int64_t(156), 2));
    EXPECT_EQ(shown[3], std::make_pair(std::int64_t(3156), 0));
    EXPECT_EQ(player.Pass(), 2);
    EXPECT_EQ(player.NextDue(), 3192);
}

TEST(PreviewTiming, ShowingCountsAsDrawingTime) {
    auto doc = Animation(2, 2, 2);
    SetDelays(*doc, {1, 1});
    TFakeClock clock;
    clock.Now = 100;
    TPreviewPlayer player(std::move(doc), Sky, std::ref(clock));
    int shown = 0;
    ASSERT_TRUE(player.Step([&] {
        ++shown;
        clock.Now += 30; // putting the picture on screen took 30 ms
    }));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(player.NextDue(), 130 + 36 - 15);
}

TEST(PreviewTiming, DrawingTimeIsMeasuredFromWakingToShowing) {
    auto doc = Animation(2, 2, 2);
    SetDelays(*doc, {1, 1});
    TFakeClock clock;
    clock.Script = {0, 20}; // woke at 0, the frame was shown at 20
    TPreviewPlayer player(std::move(doc), Sky, std::ref(clock));
    ASSERT_TRUE(player.Step());
    EXPECT_EQ(player.NextDue(), 20 + 36 - 10);
    clock.Now = 45;
    EXPECT_FALSE(player.Step());
    EXPECT_EQ(player.ShownFrame(), 0);
    clock.Now = 46;
    EXPECT_TRUE(player.Step());
    EXPECT_EQ(player.ShownFrame(), 1);
}

// --- passes ---

int FramesShownUntilTheEnd(std::unique_ptr<TGIFData> doc, int limit) {
    TPreviewPlayer player(std::move(doc), Sky);
    int shown = 0;
    while (shown < limit && player.Advance()) ++shown;
    return shown;
}

TEST(PreviewPasses, WithoutALoopingBlockTheAnimationPlaysOnceAndStopsOnItsLastFrame) {
    auto doc = Animation(3, 2, 2);
    TFakeClock clock;
    TPreviewPlayer player(std::move(doc), Sky, std::ref(clock));
    for (clock.Now = 0; clock.Now < 10000; clock.Now += 5) player.Step();
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(player.NextDue(), -1);
    EXPECT_EQ(player.ShownFrame(), 2);
    EXPECT_EQ(player.Pass(), 1);
    EXPECT_EQ(At(player.Composition(), 1, 1), RGB(0, 255, 0)) << "the last frame stays";
}

TEST(PreviewPasses, AStoredLoopCountOfTwoPlaysThreePassesAsTheGlobalPropertiesCountThem) {
    auto doc = Animation(3, 2, 2);
    doc->Looping = true;
    doc->LoopCount = 2;
    EXPECT_EQ(FramesShownUntilTheEnd(std::move(doc), 100), 9);
    auto once = Animation(3, 2, 2);
    once->Looping = true;
    once->LoopCount = 1;
    EXPECT_EQ(FramesShownUntilTheEnd(std::move(once), 100), 6);
}

TEST(PreviewPasses, LoopCountZeroRepeatsEndlesslyFromTheFirstFrameOnAFreshBackground) {
    auto doc = Animation(2, 4, 4);
    doc->Looping = true;
    // The second frame is transparent everywhere: a pass that did not start
    // afresh would show the first frame under it.
    doc->Frames[0]->Control->SetDisposal(1);
    doc->Frames[1]->Control->SetTransparent(true);
    doc->Frames[1]->Control->TransparentIndex = 1;
    doc->Frames[1]->Control->SetDisposal(2);
    TPreviewPlayer player(std::move(doc), Sky);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(player.Advance());
    EXPECT_FALSE(player.Finished());
    EXPECT_EQ(player.Passes(), 0);
    EXPECT_EQ(player.Pass(), 500);
    EXPECT_EQ(player.ShownFrame(), 1);
    EXPECT_EQ(At(player.Composition(), 0, 0), RGB(0, 0, 0)) << "frame 0 under the clear frame 1";
}

// --- composing ---

TEST(PreviewComposing, AnEmptyDocumentShowsOnlyTheBackground) {
    auto doc = std::make_unique<TGIFData>();
    doc->ScreenWidth = 30;
    doc->ScreenHeight = 20;
    TFakeClock clock;
    TPreviewPlayer player(std::move(doc), Sky, std::ref(clock));
    EXPECT_TRUE(player.Step());
    EXPECT_TRUE(player.Finished());
    ASSERT_EQ(player.Composition().Width(), 30);
    ASSERT_EQ(player.Composition().Height(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(At(player.Composition(), x, y), Sky);
}

TEST(PreviewComposing, FramesSitAtTheirOffsetsAndPartsOffTheScreenAreCut) {
    auto doc = Animation(1, 3, 2);
    doc->ScreenWidth = 4;
    doc->ScreenHeight = 3;
    doc->Frames[0]->Left = 2;
    doc->Frames[0]->Top = 2;
    TPreviewPlayer player(std::move(doc), Sky);
    ASSERT_TRUE(player.Advance());
    EXPECT_EQ(At(player.Composition(), 1, 2), Sky);
    EXPECT_EQ(At(player.Composition(), 2, 2), RGB(0, 0, 0));
    EXPECT_EQ(At(player.Composition(), 3, 2), RGB(0, 0, 0));
    EXPECT_EQ(At(player.Composition(), 3, 1), Sky);
}

TEST(PreviewComposing, DisposalAboveThreeKeepsTheFrameLikeOne) {
    auto compose = [](int disposal) {
        auto doc = Animation(2, 4, 4);
        doc->Frames[0]->Control->SetDisposal(disposal);
        doc->Frames[1]->Width = 2; // frame 1 covers only the left half
        doc->Frames[1]->Pixels.resize(8);
        doc->Frames[1]->PixelCount = 8;
        TPreviewPlayer player(std::move(doc), Sky);
        player.Advance();
        player.Advance();
        return player.Composition();
    };
    EXPECT_EQ(compose(5), compose(1));
    EXPECT_EQ(compose(7), compose(1));
    EXPECT_EQ(At(compose(5), 3, 3), RGB(0, 0, 0));
    EXPECT_EQ(At(compose(2), 3, 3), Sky);
}

TEST(PreviewComposing, AScreenTooLargeToComposeIsRefusedWithoutAllocating) {
    EXPECT_TRUE(TPreviewPlayer::ScreenFits(4096, 4096));
    EXPECT_FALSE(TPreviewPlayer::ScreenFits(4097, 4096));
    EXPECT_FALSE(TPreviewPlayer::ScreenFits(65535, 65535));
    auto doc = Animation(1, 1, 1);
    doc->ScreenWidth = 65535;
    doc->ScreenHeight = 65535;
    TPreviewPlayer player(std::move(doc), Sky);
    EXPECT_TRUE(player.Finished());
    EXPECT_TRUE(player.Composition().Empty());
    EXPECT_FALSE(player.Advance());
}

// Four frames over a 12 x 10 screen using every disposal: a transparent
// full-screen frame kept in place (1), a frame cleared to the background
// after showing (2), a transparent frame that restores what was under it (3),
// and a last frame with disposal 0.
std::unique_ptr<TGIFData> DisposalDocument() {
    auto doc = Animation(0, 12, 10);
    auto add = [&doc](int left, int top, int w, int h, int disposal, int transparent, auto pixel) {
        TGIFImageData* frame = doc->AddFrame(w, h);
        frame->Left = std::uint16_t(left);
        frame->Top = std::uint16_t(top);
        frame->Control->SetDisposal(disposal);
        if (transparent >= 0) {
            frame->Control->SetTransparent(true);
            frame->Control->TransparentIndex = std::uint8_t(transparent);
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) frame->Pixels[std::size_t(y * w + x)] = std::uint8_t(pixel(x, y));
    };
    add(0, 0, 12, 10, 1, 0, [](int x, int y) { return (x + y) % 3 == 0 ? 0 : 1; });
    add(2, 1, 6, 5, 2, -1, [](int x, int) { return x < 3 ? 2 : 3; });
    add(5, 4, 6, 5, 3, 3, [](int x, int y) { return (x * y) % 2 ? 3 : 2; });
    add(8, 7, 4, 3, 0, -1, [](int x, int) { return x % 4; });
    for (auto& frame : doc->Frames) frame->Control->DelayTime = 5;
    return doc;
}

TEST(PreviewComposing, EveryDisposalMatchesImageMagicksCoalescedFramesOverThePreviewBackground) {
    QTemporaryDir folder;
    const std::string gif = folder.filePath("disposal.gif").toStdString();
    auto doc = DisposalDocument();
    ASSERT_TRUE(doc->SaveToFile(gif));
    const TShellRun magick =
        RunShell("convert '" + gif +
                     "' -coalesce -background 'rgb(166,202,240)' -alpha remove -alpha off "
                     "-depth 8 rgb:-",
                 TShellErrors::Discarded);
    ASSERT_EQ(magick.Status, 0);
    const std::size_t frameBytes = 12 * 10 * 3;
    ASSERT_EQ(magick.Output.size(), 4 * frameBytes);

    TPreviewPlayer player(DecodeSavedCopy(*doc), Sky);
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(player.Advance());
        int wrong = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                const auto* p = reinterpret_cast<const unsigned char*>(magick.Output.data()) +
                                n * frameBytes + (y * 12 + x) * 3;
                wrong += At(player.Composition(), x, y) != RGB(p[0], p[1], p[2]);
            }
        EXPECT_EQ(wrong, 0) << "frame " << n;
    }
    // The restored and cleared areas really differ from simply keeping every frame.
    EXPECT_EQ(At(player.Composition(), 3, 2), Sky);
}

TEST(PreviewCopy, TheCopyIsWhatASavedFileHolds) {
    auto doc = DisposalDocument();
    doc->Looping = true;
    doc->LoopCount = 4;
    std::unique_ptr<TGIFData> copy = DecodeSavedCopy(*doc);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(copy->Frames.size(), 4u);
    EXPECT_TRUE(copy->Looping);
    EXPECT_EQ(copy->LoopCount, 4);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(copy->Frames[i]->Pixels, doc->Frames[i]->Pixels);
        EXPECT_EQ(copy->Frames[i]->Left, doc->Frames[i]->Left);
        EXPECT_EQ(copy->Frames[i]->Control->Disposal(), doc->Frames[i]->Control->Disposal());
    }
    // Editing the document afterwards leaves the copy alone.
    doc->Frames[0]->Pixels[0] = 3;
    EXPECT_EQ(copy->Frames[0]->Pixels[0], 0);
}

} // namespace
