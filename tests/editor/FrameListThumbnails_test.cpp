// The frame list draws the thumbnails of an opened file as their rows come
// into view: opening a long animation does not wait for rows nobody sees.

#include "EditorTestSupport.h"
#include "editor/FrameListView.h"
#include "gifdata/GifData.h"

#include <QApplication>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using FrameListThumbnailsTest = TMainFormTest;

// 40 frames of 30 x 20, frame i filled with index i % 4, delay i + 1.
std::string WriteLongAnimation(const std::string& path) {
    TGIFData doc;
    doc.ScreenWidth = 30;
    doc.ScreenHeight = 20;
    for (int i = 0; i < 40; ++i) {
        TGIFImageData* frame = doc.AddFrame(30, 20);
        std::fill(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(i % 4));
        frame->Control->DelayTime = std::uint16_t(i + 1);
    }
    EXPECT_TRUE(doc.SaveToFile(path));
    return path;
}

TEST_F(FrameListThumbnailsTest, OnlyRowsInViewGetTheirThumbnailsAndScrolledRowsGetThemThen) {
    Form->resize(900, 600);
    Form->show();
    ASSERT_TRUE(Form->LoadFile(WriteLongAnimation(PathOf("long.gif"))));
    QApplication::processEvents();
    TFrameListView& list = *Form->ListView1;
    ASSERT_EQ(list.count(), 40);
    EXPECT_TRUE(list.FrameAt(0)->Thumbnail);
    EXPECT_FALSE(list.FrameAt(39)->Thumbnail); // far below the visible rows

    list.scrollToBottom();
    QApplication::processEvents();
    list.viewport()->repaint();
    ASSERT_TRUE(list.FrameAt(39)->Thumbnail);

    // Drawn late, the card is the one drawing it at once gives: delay 0.40 and all.
    const TBitmap late = *list.FrameAt(39)->Thumbnail;
    list.FrameAt(39)->RenderThumbnail();
    EXPECT_EQ(late, *list.FrameAt(39)->Thumbnail);
}

} // namespace
