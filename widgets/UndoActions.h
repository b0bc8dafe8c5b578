#pragma once

#include <functional>
#include <utility>

class QAction;
class QMenu;
class QUndoCommand;
class QUndoStack;
class QWidget;

// "Und&o" (mnuUndo, Ctrl+Z) and "&Redo" (mnuRedo, Ctrl+Shift+Z or Ctrl+Y)
// at the end of menu, named after the step they undo or redo; their keys
// reach them from a text field that has no typing of its own to undo.
// shown, when given, is called with the step after it was undone or
// redone. Returns both items.
std::pair<QAction*, QAction*> AddUndoActions(QMenu* menu, QUndoStack* stack,
                    const std::function<void(const QUndoCommand* step)>& shown = {});

// Marks window as modified (a "*" after its caption) while stack is not
// clean. Without unsaved changes the caption is exactly the window's own.
void MarkUnsavedChanges(QWidget* window, QUndoStack* stack);
