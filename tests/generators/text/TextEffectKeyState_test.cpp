#include "generators/text/TextEffectKeyState.h"

#include <gtest/gtest.h>

#include <vector>

#include "generators/text/TextEffectGenerator.h"

namespace {

TEST(TextEffectKeyState, DefaultFontSizesRunThirtySixDownToTwentyFourAndBack) {
    const TTextEffectSettings settings;
    std::vector<int> sizes;
    for (int k : TextEffectSequence(settings.Frames))
        sizes.push_back(TextEffectKeyState(settings, k).FontSize);
    EXPECT_EQ(sizes,
              (std::vector<int>{36, 35, 33, 32, 31, 29, 28, 27, 25, 24, 25, 27, 28, 29, 31, 32, 33, 35}));
}

TEST(TextEffectKeyState, HalvesRoundToEven) {
    EXPECT_EQ(InterpolateKeyValue(0, 2, 1, 5), 0);   // 0.5
    EXPECT_EQ(InterpolateKeyValue(0, 2, 3, 5), 2);   // 1.5
    EXPECT_EQ(InterpolateKeyValue(0, 5, 1, 3), 2);   // 2.5
    EXPECT_EQ(InterpolateKeyValue(0, -1, 1, 3), 0);  // -0.5
    EXPECT_EQ(InterpolateKeyValue(0, -3, 1, 3), -2); // -1.5
    EXPECT_EQ(InterpolateKeyValue(7, 8, 1, 3), 7);   // 7 + 0.5
    // The division comes first: (end - start) / (N - 1), then times k.
    EXPECT_EQ(InterpolateKeyValue(0, 100, 1, 4), 33);
    EXPECT_EQ(InterpolateKeyValue(0, 100, 2, 4), 67);
}

TEST(TextEffectKeyState, OffsetsKeepTheirSign) {
    const TTextEffectSettings settings; // offset y runs 10 to -5 over 10 states
    std::vector<int> offsets;
    for (int k = 0; k < 10; ++k) offsets.push_back(TextEffectKeyState(settings, k).ShadowOffsetY);
    EXPECT_EQ(offsets, (std::vector<int>{10, 8, 7, 5, 3, 2, 0, -2, -3, -5}));

    TSmoothLabel label;
    ConfigureTextEffectLabel(label, settings);
    ApplyKeyState(label, TextEffectKeyState(settings, 9));
    EXPECT_EQ(label.FontEffect().Shadow().OffsetY(), -5);
    EXPECT_EQ(label.FontEffect().Shadow().OffsetX(), 20);
    EXPECT_EQ(label.FontEffect().Angle(), -5);
}

TEST(TextEffectKeyState, ColoursStepEachChannelSeparately) {
    // Lime (0, 255, 0) to green (0, 128, 0): 255 - 127 / 9 x k.
    std::vector<int> greens;
    for (int k = 0; k < 10; ++k)
        greens.push_back(GetGValue(InterpolateKeyColor(RGB(0, 255, 0), RGB(0, 128, 0), k, 10)));
    EXPECT_EQ(greens, (std::vector<int>{255, 241, 227, 213, 199, 184, 170, 156, 142, 128}));
    EXPECT_EQ(InterpolateKeyColor(RGB(10, 200, 0), RGB(20, 100, 255), 1, 2), RGB(20, 100, 255));
    EXPECT_EQ(InterpolateKeyColor(RGB(10, 200, 0), RGB(20, 100, 255), 1, 3),
              RGB(15, 150, 128)); // 127.5 -> 128
}

TEST(TextEffectKeyState, OneStateTakesEveryStartSetting) {
    TTextEffectSettings settings;
    settings.Frames = 1;
    const TTextEffectKeyState state = TextEffectKeyState(settings, 0);
    EXPECT_EQ(state.FontSize, 36);
    EXPECT_EQ(state.FontColor, RGB(0, 255, 0));
    EXPECT_EQ(state.BackColor, RGB(192, 192, 192));
    EXPECT_EQ(state.Angle, 5);
    EXPECT_EQ(state.Alpha, 100);
    EXPECT_EQ(state.ShadowColor, RGB(0, 128, 0));
    EXPECT_EQ(state.ShadowOffsetX, 5);
    EXPECT_EQ(state.ShadowOffsetY, 10);
    EXPECT_EQ(InterpolateKeyValue(3, 99, 5, 1), 3);
}

TEST(TextEffectKeyState, TheLastStateAppliesEveryEndSettingToTheLabel) {
    TTextEffectSettings settings;
    settings.Spray = {0, 10};
    settings.Blur = {0, 30};
    settings.Noise = {0, 200};
    settings.ShadowAlpha = {100, 40};
    settings.ShadowBlur = {0, 60};
    TSmoothLabel label;
    ConfigureTextEffectLabel(label, settings);
    ApplyKeyState(label, TextEffectKeyState(settings, settings.Frames - 1));
    const TSmoothEffect& e = label.FontEffect();
    EXPECT_EQ(label.Font().Size, 24);
    EXPECT_EQ(label.Font().Color, RGB(0, 128, 0));
    EXPECT_EQ(label.Color(), RGB(128, 128, 128));
    EXPECT_EQ(e.Alpha(), 80);
    EXPECT_EQ(e.Spray(), 10);
    EXPECT_EQ(e.Blur(), 30);
    EXPECT_EQ(e.Noise(), 200);
    EXPECT_EQ(e.Gradual().StartColor(), RGB(0, 0, 0));
    EXPECT_EQ(e.Gradual().EndColor(), RGB(0, 0, 0));
    EXPECT_EQ(e.Shadow().Color(), RGB(0, 0, 0));
    EXPECT_EQ(e.Shadow().Alpha(), 40);
    EXPECT_EQ(e.Shadow().Blur(), 60);
}

TEST(TextEffectKeyState, TheLabelTakesTheWizardsFixedSettings) {
    TSmoothLabel label;
    const TTextEffectSettings settings;
    ConfigureTextEffectLabel(label, settings);
    EXPECT_EQ(label.Caption(), "Text");
    EXPECT_EQ(label.Width(), 185);
    EXPECT_EQ(label.Height(), 60);
    EXPECT_EQ(label.Effect().Layout(), tlCenter);
    EXPECT_EQ(label.Effect().Alignment(), taCenter);
    EXPECT_EQ(label.Effect().Quality(), aqHigh);
    EXPECT_EQ(label.Effect().BackGroundMode(), bmStretched);
    EXPECT_FALSE(label.Effect().Transparent());
    EXPECT_EQ(label.Border(), 0);
    EXPECT_EQ(label.Font().Name, "Impact");
    EXPECT_TRUE(label.FontEffect().Shadow().Enabled());
    EXPECT_FALSE(label.FontEffect().Texture().Enabled());
    EXPECT_EQ(label.FontEffect().Texture().Picture().Width(), 39);
    EXPECT_EQ(label.FontEffect().Texture().Picture().Height(), 26);
}

} // namespace
