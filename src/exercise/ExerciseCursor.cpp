#include "exercise/ExerciseCursor.h"

#include "platform/Cursor.h"

DrawnCursorPosition& drawnCursorPosition() {
    static DrawnCursorPosition position;
    return position;
}

namespace {

// One axis: a report beyond the zone on either side moves the tip by the distance divided by the
// zone's half-width, truncated toward zero. The second test sees the first one's result.
int followAxis(int drawn, int reported, int zone) {
    if (reported > drawn + zone) drawn += (reported - drawn) / zone;
    if (reported < drawn - zone) drawn -= (drawn - reported) / zone;
    return drawn;
}

} // namespace

void followSlowedCursor(int x, int y, IMView& arrow, bool reset, int slowdownFactor) {
    DrawnCursorPosition& tip = drawnCursorPosition();
    if (!tip.known || reset) {
        tip = DrawnCursorPosition{x, y, true};
        if (reset) arrow.moveTo(x, y);
    }
    const int zone = slowedDeadZone(slowdownFactor);
    if (zone <= 0) return;
    if (x >= tip.x - zone && x <= tip.x + zone && y >= tip.y - zone && y <= tip.y + zone) return;
    tip.x = followAxis(tip.x, x, zone);
    tip.y = followAxis(tip.y, y, zone);
    POINT origin{0, 0};
    platform::clientToScreen(origin);
    platform::setCursorPos(tip.x + origin.x, tip.y + origin.y);
    arrow.moveTo(tip.x, tip.y);
}

void hideSystemCursor() {
    while (platform::showCursor(false) >= 0) {
    }
}
