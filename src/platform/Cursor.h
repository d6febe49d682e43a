#pragma once
// The system cursor: position in client coordinates of the 800 × 600 picture, warping and the
// display counter of ShowCursor.

#include "events/WinTypes.h"

namespace platform {

// Adds one (true) or subtracts one (false); the cursor shows while the counter is 0 or more.
// Returns the new counter.
int showCursor(bool show);
int cursorDisplayCount();

// Raises the counter until the cursor shows (a screen with buttons).
inline void showCursorForButtons() {
    while (showCursor(true) < 0) {
    }
}
// Brings the counter back to a value read earlier (a screen that showed or hid the cursor goes).
inline void restoreCursorDisplayCount(int count) {
    while (cursorDisplayCount() < count) showCursor(true);
    while (cursorDisplayCount() > count) showCursor(false);
}

// Win32-shaped helpers used by the toolkit and the exercise. Screen coordinates equal client
// coordinates for the full-screen picture.
bool getCursorPos(POINT& p);
bool setCursorPos(int x, int y);
bool clientToScreen(POINT& p);

} // namespace platform
