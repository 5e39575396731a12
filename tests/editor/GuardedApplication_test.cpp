// Failures inside event handlers: a message, and the program goes on.
#include "editor/GuardedApplication.h"

#include "ScriptedDialogs.h"

#include <QAction>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace {

TEST(GuardedDelivery, OutOfMemoryInAHandlerShowsAMessageInsteadOfEndingTheProgram) {
    TScriptedDialogs dialogs;
    dialogs.MessageAnswers = {mrOk};
    QAction action(QStringLiteral("Grow"));
    QObject::connect(&action, &QAction::triggered, [] { throw std::bad_alloc(); });
    EXPECT_FALSE(DeliverGuarded(
        [&] {
            action.trigger();
            return true;
        },
        &dialogs));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text,
              "There is not enough memory for this action. It was stopped; the animation is still open.");
    EXPECT_EQ(dialogs.Messages[0].Caption, "Error");
    EXPECT_EQ(dialogs.Messages[0].Type, mtError);
}

TEST(GuardedDelivery, OtherFailuresAreShownWithTheirReason) {
    TScriptedDialogs dialogs;
    dialogs.MessageAnswers = {mrOk};
    EXPECT_FALSE(
        DeliverGuarded([]() -> bool { throw std::runtime_error("the text is too large"); }, &dialogs));
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "This action was stopped: the text is too large");
}

TEST(GuardedDelivery, ADeliveryThatWorksPassesItsResultAndAsksNothing) {
    TScriptedDialogs dialogs;
    EXPECT_TRUE(DeliverGuarded([] { return true; }, &dialogs));
    EXPECT_FALSE(DeliverGuarded([] { return false; }, &dialogs));
    EXPECT_EQ(dialogs.QuestionCount(), 0u);
}

} // namespace
