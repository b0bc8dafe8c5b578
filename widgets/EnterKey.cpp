#include "widgets/EnterKey.h"

#include <QAbstractItemView>
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

class EnterPicksRow : public QObject {
public:
    EnterPicksRow(QAbstractItemView* view, std::function<void(const QModelIndex&)> pick)
        : QObject(view), view_(view), pick_(std::move(pick))
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !view_->currentIndex().isValid())
            return false;
        pick_(view_->currentIndex());
        return true;
    }

private:
    QAbstractItemView* view_;
    std::function<void(const QModelIndex&)> pick_;
};

}  // namespace

void PressFocusedButtonOnEnter(QWidget* window)
{
    auto* filter = new EnterPressesButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}

void PickRowOnEnterOrDoubleClick(QAbstractItemView* view,
                                 const std::function<void(const QModelIndex&)>& pick)
{
    view->installEventFilter(new EnterPicksRow(view, pick));
    QObject::connect(view, &QAbstractItemView::doubleClicked, view, pick);
}
