// Slide-show generation: frame counts, delays, the seam, and the pictures the
// frames show.
#include "generators/GeneratedDocument.h"
#include "generators/transitions/SlideShowGenerator.h"
#include "gifdata/GifData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

TBitmap Solid(int w, int h, TColor color) {
    TBitmap bitmap(w, h, pf24bit);
    bitmap.Fill(color);
    return bitmap;
}

const TColor Colours[] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 160, 0), RGB(250, 250, 250)};

std::vector<TSlide> Slides(int count, TSlideRecord record = {}) {
    std::vector<TSlide> slides;
    for (int i = 0; i < count; ++i) slides.push_back({Solid(20, 10, Colours[i]), record});
    return slides;
}

std::vector<int> Delays(const TGIFData& document) {
    std::vector<int> delays;
    for (const auto& frame : document.Frames)
        delays.push_back(frame->Control ? frame->Control->DelayTime : -1);
    return delays;
}

// Colour reduction maps a colour to the middle of its histogram bin: close, not equal.
bool Near(TColor a, TColor b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

// True when every pixel of the frame is (near) that colour.
bool FrameIs(const TGIFData& document, int index, TColor colour) {
    const auto bitmap = document.Frames[index]->ToBitmap();
    if (!bitmap) return false;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            if (!Near(bitmap->Pixel(x, y), colour)) return false;
    return true;
}

TEST(SlideShow, TwoPicturesWithInitialRecordsGiveTwentyOneFrames) {
    TGIFData document;
    ResetDocumentForGeneration(document);
    ASSERT_TRUE(GenerateSlideShow(document, 20, 10, Slides(2)));
    ASSERT_EQ(document.Frames.size(), 21u);
    std::vector<int> expected{100};
    for (int pass = 0; pass < 2; ++pass) {
        expected.insert(expected.end(), 9, 10);
        expected.push_back(100);
    }
    EXPECT_EQ(Delays(document), expected);
    // Picture 0, picture 1 after the first transition, picture 0 again at the seam.
    EXPECT_TRUE(FrameIs(document, 0, Colours[0]));
    EXPECT_TRUE(FrameIs(document, 10, Colours[1]));
    EXPECT_TRUE(FrameIs(document, 20, Colours[0]));
    EXPECT_FALSE(FrameIs(document, 5, Colours[0]));
    EXPECT_FALSE(FrameIs(document, 5, Colours[1]));
    for (const auto& frame : document.Frames) {
        EXPECT_EQ(frame->Width, 20);
        EXPECT_EQ(frame->Height, 10);
        EXPECT_FALSE(frame->Control->Transparent());
    }
}

TEST(SlideShow, EachTransitionHasCeilHundredOverStepFrames) {
    for (int step : {30, 100, 7, 1}) {
        TGIFData document;
        TSlideRecord record;
        record.Step = step;
        const auto slides = Slides(3, record);
        ASSERT_TRUE(GenerateSlideShow(document, 20, 10, slides));
        const int perTransition = (100 + step - 1) / step;
        EXPECT_EQ(int(document.Frames.size()), 1 + 3 * perTransition) << step;
        EXPECT_EQ(SlideShowFrameCount(slides), 1 + 3 * perTransition);
        EXPECT_TRUE(FrameIs(document, perTransition, Colours[1])) << step;
        EXPECT_TRUE(FrameIs(document, 2 * perTransition, Colours[2])) << step;
        EXPECT_TRUE(FrameIs(document, 3 * perTransition, Colours[0])) << step;
    }
}

TEST(SlideShow, EachTransitionUsesTheRecordOfThePictureItBringsIn) {
    auto slides = Slides(3);
    slides[0].Record = {5, 50, 5, 2000}; // brings picture 0 back at the seam
    slides[1].Record = {118, 25, 300, 90};
    slides[2].Record = {60, 100, 40, 4000};
    TGIFData document;
    ASSERT_TRUE(GenerateSlideShow(document, 20, 10, slides));
    EXPECT_EQ(Delays(document), (std::vector<int>{200, 30, 30, 30, 9, 400, 1, 200}));
    // "Fade" at 25 % from red to blue.
    const auto fade = document.Frames[1]->ToBitmap();
    EXPECT_TRUE(Near(fade->Pixel(3, 3), RGB(191, 0, 63)));
    // "Reveal from left" at 50 % from picture 2 back to picture 0.
    const auto reveal = document.Frames[6]->ToBitmap();
    EXPECT_TRUE(Near(reveal->Pixel(0, 0), Colours[0]));
    EXPECT_TRUE(Near(reveal->Pixel(19, 0), Colours[2]));
}

TEST(SlideShow, NeedsTwoPictures) {
    TGIFData document;
    EXPECT_FALSE(GenerateSlideShow(document, 20, 10, Slides(1)));
    EXPECT_TRUE(document.Frames.empty());
}

TEST(SlideShow, DelaysInMillisecondsBecomeHundredthsNeverBelowOne) {
    EXPECT_EQ(GifDelayFromMilliseconds(5), 1);
    EXPECT_EQ(GifDelayFromMilliseconds(0), 1);
    EXPECT_EQ(GifDelayFromMilliseconds(19), 1);
    EXPECT_EQ(GifDelayFromMilliseconds(100), 10);
    EXPECT_EQ(GifDelayFromMilliseconds(999999), 65535);
}

TEST(SlideShow, PicturesAreSqueezedToTheFrameSize) {
    TBitmap picture(400, 300, pf24bit);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) picture.SetPixel(x, y, x < 200 ? RGB(255, 0, 0) : RGB(0, 0, 255));
    const TBitmap frame = StretchToFrame(picture, 200, 100);
    EXPECT_EQ(frame.Width(), 200);
    EXPECT_EQ(frame.Height(), 100);
    EXPECT_EQ(frame.Pixel(99, 50), RGB(255, 0, 0));
    EXPECT_EQ(frame.Pixel(100, 50), RGB(0, 0, 255));
}

TEST(SlideShow, InitialRecordsNeverPickTheLastStyle) {
    std::mt19937 random(7);
    bool sawFirst = false, sawLast = false;
    for (int i = 0; i < 20000; ++i) {
        const TSlideRecord record = NewSlideRecord(random);
        ASSERT_GE(record.Style, 1);
        ASSERT_LE(record.Style, 149);
        sawFirst |= record.Style == 1;
        sawLast |= record.Style == 149;
        EXPECT_EQ(record.Step, 10);
        EXPECT_EQ(record.Delay, 100);
        EXPECT_EQ(record.ImageDelay, 1000);
    }
    EXPECT_TRUE(sawFirst && sawLast);
}

TEST(SlideShow, ProgressCountsEveryFrameOutOfTheTotal) {
    TGIFData document;
    TSlideRecord record;
    record.Step = 30;
    std::vector<std::pair<int, int>> reports;
    ASSERT_TRUE(GenerateSlideShow(document, 20, 10, Slides(3, record),
                                  [&](int done, int total) { reports.emplace_back(done, total); }));
    ASSERT_EQ(document.Frames.size(), 13u); // 1 + 3 x 4
    ASSERT_EQ(reports.size(), 13u);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].first, int(i) + 1);
        EXPECT_EQ(reports[i].second, 13);
    }
}

} // namespace
