#include "tests/support/QtTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

void OnNextModal(const std::function<void(QWidget*)>& act)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, act] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool timedOut = clock->elapsed() > 5000;
        if (modal == nullptr && !timedOut)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (modal == nullptr) {
            ADD_FAILURE() << "no modal window opened";
            return;
        }
        act(modal);
    });
    timer->start(10);
}

void AnswerMessageBox(QMessageBox::StandardButton button, SeenMessage* seen)
{
    OnNextModal([button, seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            ADD_FAILURE() << "expected a message box, got " << modal->metaObject()->className();
            modal->close();
            return;
        }
        if (seen != nullptr)
            *seen = {box->windowTitle(), box->text(), box->icon()};
        QAbstractButton* pressed = box->button(button);
        if (pressed == nullptr) {
            ADD_FAILURE() << "the message box has no such button: " << box->text().toStdString();
            box->close();
            return;
        }
        pressed->click();
    });
}

QString BoxText(const std::function<void()>& command, QMessageBox::StandardButton answer)
{
    SeenMessage seen;
    AnswerMessageBox(answer, &seen);
    command();
    return seen.text;
}

void AnswerFileDialog(const QString& path)
{
    OnNextModal([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            ADD_FAILURE() << "expected a file dialog, got " << modal->metaObject()->className();
            modal->close();
            return;
        }
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // selectFile leaves the name box alone while it has the focus.
        if (QWidget* focused = dialog->focusWidget())
            focused->clearFocus();
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept checks the pick
    });
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

QStringList ClashingAltLetters(QWidget* window)
{
    QStringList texts;
    for (const auto* button : window->findChildren<QAbstractButton*>())
        if (button->isVisibleTo(window))
            texts << button->text();
    for (const auto* label : window->findChildren<QLabel*>())
        if (label->buddy() != nullptr)
            texts << label->text();
    for (const auto* bar : window->findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            texts << menu->text();
    const auto clashing = [](const QStringList& texts) {
        QMap<QString, int> claims;
        for (const QString& text : texts)
            if (const QKeySequence letter = QKeySequence::mnemonic(text); !letter.isEmpty())
                ++claims[letter.toString()];
        QStringList clashes;
        for (auto claim = claims.cbegin(); claim != claims.cend(); ++claim)
            if (claim.value() > 1)
                clashes << claim.key();
        return clashes;
    };
    QStringList clashes = clashing(texts);
    // Within an open menu, a letter shared by two items runs neither.
    for (const auto* menu : window->findChildren<QMenu*>()) {
        QStringList items;
        for (const QAction* item : menu->actions())
            items << item->text();
        for (const QString& letter : clashing(items))
            clashes << menu->title() + " " + letter;
    }
    return clashes;
}
