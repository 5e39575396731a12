#include "generators/GeneratedDocument.h"

#include <gtest/gtest.h>

#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

namespace {

TEST(GeneratedDocument, ResetEmptiesTheDocumentAndLoopsForeverOverTheStandardColours) {
    TGIFData document;
    document.AddFrame(4, 3);
    document.AddFrame(2, 2);
    document.ScreenFlags = 0xFF; // sorted, with a global table of 256 entries
    document.AspectRatio = 49;
    document.Looping = false;
    document.LoopCount = 7;
    document.BackgroundIndex = 12;
    for (PaletteEntry& entry : document.GlobalPalette) entry = {1, 2, 3, 1};

    ResetDocumentForGeneration(document);

    EXPECT_TRUE(document.Frames.empty());
    EXPECT_EQ(document.ScreenFlags, 0xF7); // only the sort flag cleared
    EXPECT_EQ(document.AspectRatio, 0);
    EXPECT_TRUE(document.Looping);
    EXPECT_EQ(document.LoopCount, 0);
    EXPECT_EQ(document.BackgroundIndex, 0);
    const TDefaultPalette& standard = DefaultPalette();
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& entry = document.GlobalPalette[i];
        ASSERT_EQ(entry.Red, standard[i].Red) << i;
        ASSERT_EQ(entry.Green, standard[i].Green) << i;
        ASSERT_EQ(entry.Blue, standard[i].Blue) << i;
        ASSERT_EQ(entry.Used, 0) << i;
    }
}

TEST(GeneratedDocument, ResetOfAFreshDocumentKeepsItsTableFlags) {
    TGIFData document;
    ResetDocumentForGeneration(document);
    EXPECT_EQ(document.ScreenFlags, 0xA3);
    EXPECT_TRUE(document.Frames.empty());
}

} // namespace
