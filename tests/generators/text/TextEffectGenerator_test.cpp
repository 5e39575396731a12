#include "generators/text/TextEffectGenerator.h"

#include <gtest/gtest.h>

#include <vector>

#include "generators/GeneratedDocument.h"
#include "generators/text/TextEffectKeyState.h"
#include "gifdata/GifData.h"

namespace {

TEST(TextEffectGenerator, StatesGoUpAndBackWithoutRepeatingAnEnd) {
    EXPECT_EQ(TextEffectSequence(1), (std::vector<int>{0}));
    EXPECT_EQ(TextEffectSequence(2), (std::vector<int>{0, 1}));
    EXPECT_EQ(TextEffectSequence(3), (std::vector<int>{0, 1, 2, 1}));
    EXPECT_EQ(TextEffectSequence(10),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    for (int n : {1, 2, 3, 10, 999})
        EXPECT_EQ(int(TextEffectSequence(n).size()), TextEffectFrameCount(n)) << n;
}

TEST(TextEffectGenerator, FrameCountTextShowsTwiceTheStatesLessTwoAndAtLeastOne) {
    EXPECT_EQ(TextEffectFrameCountText(1), "1 Frames");
    EXPECT_EQ(TextEffectFrameCountText(2), "2 Frames");
    EXPECT_EQ(TextEffectFrameCountText(10), "18 Frames");
    EXPECT_EQ(TextEffectFrameCountText(999), "1996 Frames");
}

TEST(TextEffectGenerator, DelaysAreHundredthsOfASecondAndNeverZero) {
    EXPECT_EQ(TextEffectFrameDelay(10), 1);
    EXPECT_EQ(TextEffectFrameDelay(15), 1);
    EXPECT_EQ(TextEffectFrameDelay(9), 1);
    EXPECT_EQ(TextEffectFrameDelay(100), 10);
    EXPECT_EQ(TextEffectFrameDelay(255), 25);
    EXPECT_EQ(TextEffectFrameDelay(655350), 65535);
    // The largest delay the wizard accepts does not wrap around the 16-bit field.
    EXPECT_EQ(TextEffectFrameDelay(999999), 65535);
}

TEST(TextEffectGenerator, PreviewRunsDownFromTheLastStateThenBackUp) {
    TTextEffectPreview preview;
    std::vector<int> shown;
    for (int i = 0; i < 7; ++i) shown.push_back(preview.Step(3));
    EXPECT_EQ(shown, (std::vector<int>{2, 1, 0, 1, 2, 1, 0}));

    TTextEffectPreview single;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(single.Step(1), 0);

    // A state count that shrinks under the index wraps it back into range.
    TTextEffectPreview shrinking;
    shrinking.Step(10); // 9, backward
    EXPECT_EQ(shrinking.Step(4), 3);
}

TTextEffectSettings Small(int states, int delay) {
    TTextEffectSettings settings;
    settings.Width = 60;
    settings.Height = 24;
    settings.Frames = states;
    settings.Delay = delay;
    settings.FontSize = {12, 9};
    return settings;
}

TEST(TextEffectGenerator, GeneratedFramesCarryTheLabelsPicturesAndTheDelay) {
    TGIFData document;
    ResetDocumentForGeneration(document);
    const TTextEffectSettings settings = Small(3, 150);
    EXPECT_EQ(GenerateTextEffect(document, settings), 4);
    ASSERT_EQ(document.Frames.size(), 4u);
    for (const auto& frame : document.Frames) {
        EXPECT_EQ(frame->Width, 60);
        EXPECT_EQ(frame->Height, 24);
        EXPECT_EQ(frame->Left, 0);
        EXPECT_EQ(frame->Top, 0);
        EXPECT_EQ(frame->Control->DelayTime, 15);
        EXPECT_FALSE(frame->Control->Transparent());
        EXPECT_TRUE(frame->HasLocalTable());
    }
    // Frames 1 and 3 show the same key state.
    EXPECT_EQ(document.Frames[1]->Pixels, document.Frames[3]->Pixels);
    EXPECT_NE(document.Frames[0]->Pixels, document.Frames[2]->Pixels);

    // The first frame is the label of state 0, reduced to the frame's palette.
    TSmoothLabel label;
    ConfigureTextEffectLabel(label, settings);
    ApplyKeyState(label, TextEffectKeyState(settings, 0));
    const TGIFImageData& first = *document.Frames[0];
    const TColor corner = label.Offscreen().Pixel(0, 0); // silver background
    const std::uint8_t index = first.Pixels[0];
    EXPECT_EQ(corner, RGB(192, 192, 192));
    EXPECT_LE(std::abs(first.LocalPalette[index].Red - 192), 8);
    EXPECT_LE(std::abs(first.LocalPalette[index].Green - 192), 8);
}

TEST(TextEffectGenerator, OneAndTwoStatesGiveOneAndTwoFrames) {
    TGIFData one;
    EXPECT_EQ(GenerateTextEffect(one, Small(1, 10)), 1);
    ASSERT_EQ(one.Frames.size(), 1u);
    EXPECT_EQ(one.Frames[0]->Control->DelayTime, 1);
    TGIFData two;
    EXPECT_EQ(GenerateTextEffect(two, Small(2, 15)), 2);
    ASSERT_EQ(two.Frames.size(), 2u);
    EXPECT_EQ(two.Frames[1]->Control->DelayTime, 1);
}

TEST(TextEffectGenerator, AnEmptyFrameSizeAddsNothing) {
    TGIFData document;
    TTextEffectSettings settings = Small(3, 100);
    settings.Width = 0;
    EXPECT_EQ(GenerateTextEffect(document, settings), 0);
    settings.Width = 10;
    settings.Height = -4;
    EXPECT_EQ(GenerateTextEffect(document, settings), 0);
    EXPECT_TRUE(document.Frames.empty());
}

} // namespace
