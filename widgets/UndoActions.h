#pragma once

#include <functional>

class QMenu;
class QUndoCommand;
class QUndoStack;
class QWidget;

// "&Undo" (mnuUndo, Ctrl+Z) and "&Redo" (mnuRedo, Ctrl+Shift+Z) at the end
// of menu, named after the step they undo or redo. shown, when given, is
// called with the step after it was undone or redone.
void AddUndoActions(QMenu* menu, QUndoStack* stack,
                    const std::function<void(const QUndoCommand* step)>& shown = {});

// Marks window as modified (a "*" after its caption) while stack is not
// clean. Without unsaved changes the caption is exactly the window's own.
void MarkUnsavedChanges(QWidget* window, QUndoStack* stack);
