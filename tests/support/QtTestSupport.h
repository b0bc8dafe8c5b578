#pragma once

#include <QString>
#include <QStringList>
#include <QMessageBox>
#include <functional>

class QWidget;

// Modal windows block in exec(); these act on the next one that opens, from
// inside its event loop. Each fails the current test when none opens.

// Runs act on the next modal widget that appears.
void OnNextModal(const std::function<void(QWidget*)>& act);

// What a message box showed before it was answered.
struct SeenMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Presses button in the next message box and records what it showed in seen.
void AnswerMessageBox(QMessageBox::StandardButton button, SeenMessage* seen = nullptr);

// The text of the message box command shows, answered with answer.
QString BoxText(const std::function<void()>& command,
                QMessageBox::StandardButton answer = QMessageBox::Ok);

// Picks path in the next file dialog, or cancels it when path is empty.
void AnswerFileDialog(const QString& path);

// Processes events until condition holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Shows window and makes it the active window, as a user's click would, and sends a key
// (with its text, for a character) to whatever holds the focus then.
void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The Alt letters that more than one of a window's shown buttons, labels
// and menu bar items claim, so that none of them answers, and as "MENU
// LETTER" those that two items of one menu claim.
QStringList ClashingAltLetters(QWidget* window);
