#include "widgets/EnterKey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace {

class EnterPressesButton : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        auto* button = static_cast<QPushButton*>(watched);
        if (button->autoDefault() || button->isDefault())
            return false;  // the button presses itself
        button->click();
        return true;
    }
};

class EscapeIgnored : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override
    {
        return event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    }
};

}  // namespace

void PressFocusedButtonOnEnter(QWidget* window)
{
    auto* filter = new EnterPressesButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}

void IgnoreEscape(QWidget* window)
{
    window->installEventFilter(new EscapeIgnored(window));
}
