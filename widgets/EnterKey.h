#pragma once

class QWidget;

// The windows have no default button, so Enter would otherwise do nothing;
// with this, Enter or Return on a focused push button of window presses it,
// as on every desktop. Call it once the window's buttons exist.
void PressFocusedButtonOnEnter(QWidget* window);
// Escape, which would close a dialog, does nothing in window: it is left
// only through its buttons.
void IgnoreEscape(QWidget* window);
