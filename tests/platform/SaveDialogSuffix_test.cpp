// The extension the save dialog gives a bare name under the filter the user picked.
#include "platform/DialogsQt.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(SaveDialogSuffix, AFilterOfOnePatternGivesItsExtension) {
    EXPECT_EQ(SuffixOfNameFilter("PNG Image File (*.png)"), "png");
    EXPECT_EQ(SuffixOfNameFilter("Bitmaps (*.bmp)"), "bmp");
    EXPECT_EQ(SuffixOfNameFilter(QtNameFilters("Bitmaps (*.bmp)|*.bmp|PNG Image File (*.png)|*.png")
                                     .split(QStringLiteral(";;"))
                                     .value(1)),
              "png");
}

TEST(SaveDialogSuffix, SeveralPatternsOrWildcardsKeepTheDefaultExtension) {
    EXPECT_EQ(SuffixOfNameFilter("All (*.gif *.png)"), "");
    EXPECT_EQ(SuffixOfNameFilter("Everything (*)"), "");
    EXPECT_EQ(SuffixOfNameFilter("Any (*.*)"), "");
    EXPECT_EQ(SuffixOfNameFilter("No patterns"), "");
}

} // namespace
