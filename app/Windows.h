#pragma once

// Start-up, shared by the program and its tests.

// Sets the application title and the program's fonts. The
// Windows fonts the windows ask for are replaced by metric-compatible free
// ones where they are not installed.
void SetUpApplication();

// Creates the five windows once, main menu first, and leaves them for the
// whole run; sets the program's icon. Only the main menu is then shown, by
// the caller.
void CreateWindows();

// The program's start: creates and shows the main menu, then creates the
// other four windows and sets the icon as soon as it has been painted, so
// that the menu shows about as early as a window with a line of text would.
void ShowMainMenuFirst();
