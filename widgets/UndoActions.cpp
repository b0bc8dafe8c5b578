#include "widgets/UndoActions.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QUndoStack>
#include <QWidget>

namespace {

const QKeySequence RedoKeys[] = {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                 QKeySequence(Qt::CTRL | Qt::Key_Y)};

// A text field takes the undo and redo keys for its own typing. Where it
// has none to take back, they undo or redo the window's last step instead
// of doing nothing. A cell's editor keeps them: a step undone under it
// would be stored again when it closes.
class FieldUndoKeys : public QObject {
public:
    FieldUndoKeys() : QObject(qApp) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const QKeySequence key(static_cast<QKeyEvent*>(event)->keyCombination());
        const bool undo = key == QKeySequence(QKeySequence::Undo);
        if (!undo && !std::ranges::count(RedoKeys, key))
            return false;
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(watched))
            field = spin->findChild<QLineEdit*>();
        else if (auto* list = qobject_cast<QComboBox*>(watched))
            field = list->lineEdit();
        for (QObject* up = field; up != nullptr; up = up->parent())
            if (qobject_cast<QAbstractItemView*>(up) != nullptr)
                return false;
        return field != nullptr && !(undo ? field->isUndoAvailable() : field->isRedoAvailable());
    }
};

}  // namespace

std::pair<QAction*, QAction*> AddUndoActions(QMenu* menu, QUndoStack* stack,
                    const std::function<void(const QUndoCommand* step)>& shown)
{
    // One for every field of every window.
    [[maybe_unused]] static const FieldUndoKeys* const fieldKeys = new FieldUndoKeys;
    QAction* undo = stack->createUndoAction(menu, QStringLiteral("Und&o"));
    undo->setObjectName(QStringLiteral("mnuUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = stack->createRedoAction(menu, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("mnuRedo"));
    redo->setShortcuts({std::begin(RedoKeys), std::end(RedoKeys)});
    menu->addAction(undo);
    menu->addAction(redo);
    if (!shown)
        return {undo, redo};
    // The stack has moved by the time these run, connected after its own.
    QObject::connect(undo, &QAction::triggered, menu,
                     [stack, shown] { shown(stack->command(stack->index())); });
    QObject::connect(redo, &QAction::triggered, menu,
                     [stack, shown] { shown(stack->command(stack->index() - 1)); });
    return {undo, redo};
}

void MarkUnsavedChanges(QWidget* window, QUndoStack* stack)
{
    const QString caption = window->windowTitle();
    const auto mark = [window, caption](bool clean) {
        // The placeholder only while needed, so that the caption reads as
        // before whenever there is nothing unsaved.
        window->setWindowTitle(clean ? caption : caption + QStringLiteral("[*]"));
        window->setWindowModified(!clean);
    };
    mark(stack->isClean());
    QObject::connect(stack, &QUndoStack::cleanChanged, window, mark);
}
