#pragma once
// Where the wizard's windows go: a page centred on the screen the user works
// on, the next page where the last one was, a message box centred over the
// page it belongs to (MessageBoxW alone centres it on the screen). Always
// inside the screen's work area, so that no caption ends up out of reach.

#include <windows.h>

// The top-left corner for a window of `size` centred over `over`, moved
// inside `workArea` (to its top-left corner when it is larger).
POINT CentredPosition(SIZE size, const RECT& over, const RECT& workArea);

// Moves `window` to be centred over `over`; over the work area of the screen
// under the mouse pointer when `over` is null.
void CentreWindow(HWND window, HWND over);

// Moves `window` to `topLeft`, kept inside the work area there.
void PlaceWindowAt(HWND window, POINT topLeft);
