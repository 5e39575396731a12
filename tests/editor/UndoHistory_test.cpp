// The undo history on its own: snapshots of a frame, the limit, redo tails and
// snapshots that no longer fit the frame.
#include "editor/UndoHistory.h"
#include "gifdata/GifData.h"

#include <gtest/gtest.h>

namespace {

class UndoHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Frame = Document.AddFrame(4, 6);
        History.StartHistory(Frame);
    }
    // One committed change: the first pixel takes the value, then a snapshot.
    void Stroke(std::uint8_t value, int code = 4) {
        Frame->Pixels[0] = value;
        ASSERT_TRUE(History.PushUndo(Frame, code));
    }

    TGIFData Document;
    TGIFImageData* Frame = nullptr;
    TUndoHistory History;
};

TEST_F(UndoHistoryTest, TheBaseSnapshotAloneCannotBeUndone) {
    EXPECT_EQ(History.Count(), 1);
    EXPECT_EQ(History.Position(), 0);
    EXPECT_EQ(History.CanUndo(), 0);
    EXPECT_EQ(History.CanRedo(), 0);
    EXPECT_EQ(History.UndoStep(Frame), 0);
}

TEST_F(UndoHistoryTest, UndoRestoresThePreviousPixelsAndReportsTheUndoneCode) {
    Stroke(7, 5);
    Stroke(9, 8);
    EXPECT_EQ(History.CanUndo(), 8);
    EXPECT_EQ(History.UndoStep(Frame), 8);
    EXPECT_EQ(Frame->Pixels[0], 7);
    EXPECT_EQ(History.CanRedo(), 8);
    EXPECT_EQ(History.UndoStep(Frame), 5);
    EXPECT_EQ(Frame->Pixels[0], 1);
    EXPECT_EQ(History.RedoStep(Frame), 5);
    EXPECT_EQ(Frame->Pixels[0], 7);
    EXPECT_EQ(History.RedoStep(Frame), 8);
    EXPECT_EQ(Frame->Pixels[0], 9);
    EXPECT_EQ(History.RedoStep(Frame), 0);
}

TEST_F(UndoHistoryTest, UndoAndRedoCarryTheFrameOffset) {
    Frame->Left = 5;
    Frame->Top = 3;
    History.PushUndo(Frame, 16);
    EXPECT_EQ(History.UndoStep(Frame), 16);
    EXPECT_EQ(Frame->Left, 0);
    EXPECT_EQ(Frame->Top, 0);
    EXPECT_EQ(History.RedoStep(Frame), 16);
    EXPECT_EQ(Frame->Left, 5);
    EXPECT_EQ(Frame->Top, 3);
}

TEST_F(UndoHistoryTest, TwentyFiveStrokesAllowTwentyUndos) {
    for (int i = 0; i < 25; ++i) Stroke(std::uint8_t(10 + i));
    EXPECT_EQ(History.Count(), 21);
    int undone = 0;
    while (History.UndoStep(Frame) != 0) ++undone;
    EXPECT_EQ(undone, 20);
    EXPECT_EQ(History.CanUndo(), 0);
    // The oldest kept state is the one after the fourth stroke.
    EXPECT_EQ(Frame->Pixels[0], 10 + 4);
}

TEST_F(UndoHistoryTest, ANewStrokeAfterUndoDropsTheRedoTail) {
    Stroke(7);
    Stroke(8);
    History.UndoStep(Frame);
    EXPECT_NE(History.CanRedo(), 0);
    Stroke(9);
    EXPECT_EQ(History.CanRedo(), 0);
    EXPECT_EQ(History.Count(), 3);
}

TEST_F(UndoHistoryTest, AReshapedFrameNeverTakesAnOldSnapshot) {
    Stroke(7);
    // Same pixel count, other shape: the old rows would land at the wrong width.
    Frame->Width = 6;
    Frame->Height = 4;
    Frame->Pixels[0] = 3;
    EXPECT_EQ(History.UndoStep(Frame), 0);
    EXPECT_EQ(History.Position(), 1);
    EXPECT_EQ(Frame->Pixels[0], 3);
    EXPECT_EQ(Frame->Width, 6);
}

TEST_F(UndoHistoryTest, AResizedFrameRefusesUndoAndRedo) {
    Stroke(7);
    History.UndoStep(Frame);
    Frame->Width = 2;
    Frame->Height = 2;
    Frame->Pixels.assign(4, 5);
    Frame->PixelCount = 4;
    EXPECT_EQ(History.RedoStep(Frame), 0);
    EXPECT_EQ(History.Position(), 0);
    EXPECT_EQ(Frame->Pixels, std::vector<std::uint8_t>(4, 5));
}

TEST_F(UndoHistoryTest, NoFrameIsRefused) {
    EXPECT_FALSE(History.PushUndo(nullptr, 4));
    EXPECT_EQ(History.Count(), 1);
    Stroke(7);
    EXPECT_EQ(History.UndoStep(nullptr), 0);
    EXPECT_EQ(History.Position(), 1);
}

TEST_F(UndoHistoryTest, LargeFramesKeepFewerStepsWithinTheByteBudget) {
    History.ByteBudget = 24 * 3; // three snapshots of this 24-pixel frame
    for (int i = 0; i < 5; ++i) Stroke(std::uint8_t(20 + i));
    EXPECT_EQ(History.Count(), 3);
    EXPECT_EQ(History.Position(), 2);
    EXPECT_EQ(History.UndoStep(Frame), 4);
    EXPECT_EQ(History.UndoStep(Frame), 4);
    EXPECT_EQ(History.UndoStep(Frame), 0);
    EXPECT_EQ(Frame->Pixels[0], 22);
}

TEST_F(UndoHistoryTest, ClearUndoEmptiesTheList) {
    Stroke(7);
    History.ClearUndo();
    EXPECT_EQ(History.Count(), 0);
    EXPECT_EQ(History.Position(), -1);
    EXPECT_EQ(History.CanUndo(), 0);
    EXPECT_EQ(History.CanRedo(), 0);
}

} // namespace
