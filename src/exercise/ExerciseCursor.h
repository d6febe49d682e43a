#pragma once
// The slowed cursor of the last stage: the system cursor is hidden and an arrow picture is drawn in
// its place that follows the hand only by a fraction of its movement. Movements inside a dead zone
// around the arrow's tip accumulate without effect; a larger one moves the arrow by the movement
// divided by the zone's half-width and pulls the hidden system cursor back to the tip, so the hand's
// excess is discarded.

#include "gui/IMView.h"

// Where the arrow's tip is, in client coordinates. One position for the whole process: it is set by
// the first report the routine ever receives and carries over from task to task and run to run.
struct DrawnCursorPosition {
    int x = 0;
    int y = 0;
    bool known = false;
};

DrawnCursorPosition& drawnCursorPosition();

// The half-width of the dead zone for a slow-down factor: 5 pixels per unit of the factor.
constexpr int slowedDeadZone(int slowdownFactor) { return 5 * slowdownFactor; }

// Follows one mouse report at (x, y). With `reset` the tip is first put at (x, y) and the arrow
// moved there; the report then lies in the dead zone and nothing else happens.
void followSlowedCursor(int x, int y, IMView& arrow, bool reset, int slowdownFactor);

// Lowers the system cursor's display counter until the cursor is hidden (at least one step).
void hideSystemCursor();
