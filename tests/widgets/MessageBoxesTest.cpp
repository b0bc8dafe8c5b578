#include "widgets/MessageBoxes.h"

#include "tests/support/QtTestSupport.h"

#include <gtest/gtest.h>

TEST(MessageBoxesTest, ErrorBoxAddsAFullStopAfterLettersOnly)
{
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    ShowErrorBox(nullptr, "Disk full");
    EXPECT_EQ(seen.text, "Disk full.");
    EXPECT_EQ(seen.title, AppTitle);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    AnswerMessageBox(QMessageBox::Ok, &seen);
    ShowErrorBox(nullptr, "Stopped!");
    EXPECT_EQ(seen.text, "Stopped!");
}

TEST(MessageBoxesTest, RunCommandShowsFileErrorsAndRefusals)
{
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(RunCommand(nullptr, [] { throw FileError(ErrorCode::AccessDenied); }));
    EXPECT_EQ(seen.text, "File access denied.");

    AnswerMessageBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(RunCommand(nullptr, [] { throw FileRefused("Nothing is loaded."); }));
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);

    EXPECT_TRUE(RunCommand(nullptr, [] {}));
}

TEST(MessageBoxesTest, QuestionsAreAnsweredYesOrNo)
{
    SeenMessage seen;
    AnswerMessageBox(QMessageBox::Yes, &seen);
    EXPECT_TRUE(AskYesNo(nullptr, "First line\rsecond line"));
    EXPECT_EQ(seen.text, "First line\nsecond line");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    AnswerMessageBox(QMessageBox::No);
    EXPECT_FALSE(AskYesNo(nullptr, "Sure?"));
}
