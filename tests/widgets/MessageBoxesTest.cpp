#include "widgets/MessageBoxes.h"

#include "tests/support/QtTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

TEST(MessageBoxesTest, ErrorsWarningsAndQuestions)
{
    SeenMessage seen;
    const std::pair<QString, QString> errors[] = {{"Disk full", "Disk full."}, {"Stopped!", "Stopped!"}};
    for (const auto& [text, shown] : errors) {
        AnswerMessageBox(QMessageBox::Ok, &seen);
        ShowErrorBox(nullptr, text);
        EXPECT_EQ(seen.text, shown);
        EXPECT_EQ(seen.title, AppTitle);
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
    }
    AnswerMessageBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(RunCommand(nullptr, [] { throw FileError(ErrorCode::AccessDenied); }));
    EXPECT_EQ(seen.text, "File access denied.");
    AnswerMessageBox(QMessageBox::Ok, &seen);
    EXPECT_FALSE(RunCommand(nullptr, [] { throw FileRefused("Nothing is loaded."); }));
    EXPECT_EQ(seen.title, "Warning");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_TRUE(RunCommand(nullptr, [] {}));

    AnswerMessageBox(QMessageBox::Yes, &seen);
    EXPECT_TRUE(AskYesNo(nullptr, "First line\rsecond line"));
    EXPECT_EQ(seen.text, "First line\nsecond line");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    AnswerMessageBox(QMessageBox::No);
    EXPECT_FALSE(AskYesNo(nullptr, "Sure?"));

    // What the user typed or a file name is shown as it is, never as markup.
    Qt::TextFormat format = Qt::AutoText;
    OnNextModal([&format](QWidget* modal) {
        format = static_cast<QMessageBox*>(modal)->textFormat();
        modal->close();
    });
    ShowWarningBox(nullptr, "'<b>big</b>' is not a valid integer value");
    EXPECT_EQ(format, Qt::PlainText);
}
