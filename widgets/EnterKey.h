#pragma once

#include <functional>

class QAbstractItemView;
class QModelIndex;
class QWidget;

// The windows have no default button, so Enter would otherwise do nothing;
// with this, Enter or Return on a focused push button of window presses it,
// as on every desktop. Call it once the window's buttons exist.
void PressFocusedButtonOnEnter(QWidget* window);

// Calls pick with the row a user picks in view: Enter on the current row,
// or a double click. Not on activation, which some desktops give a single
// click; while a cell is edited, its control gets Enter.
void PickRowOnEnterOrDoubleClick(QAbstractItemView* view,
                                 const std::function<void(const QModelIndex&)>& pick);
