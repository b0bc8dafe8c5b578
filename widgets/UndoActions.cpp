#include "widgets/UndoActions.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>
#include <QWidget>

void AddUndoActions(QMenu* menu, QUndoStack* stack,
                    const std::function<void(const QUndoCommand* step)>& shown)
{
    QAction* undo = stack->createUndoAction(menu, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("mnuUndo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = stack->createRedoAction(menu, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("mnuRedo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    menu->addAction(undo);
    menu->addAction(redo);
    if (!shown)
        return;
    // The stack has moved by the time these run, connected after its own.
    QObject::connect(undo, &QAction::triggered, menu,
                     [stack, shown] { shown(stack->command(stack->index())); });
    QObject::connect(redo, &QAction::triggered, menu,
                     [stack, shown] { shown(stack->command(stack->index() - 1)); });
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
