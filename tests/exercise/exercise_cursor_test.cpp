// The slowed cursor: the dead zone around the arrow's tip, the slowed step beyond it, the warp of
// the system cursor back to the tip, and the reset that puts the arrow on a task's first circle.

#include <gtest/gtest.h>

#include "exercise/ExerciseCursor.h"
#include "platform/Cursor.h"
#include "support/WindowFixture.h"

namespace {

// Stands for the arrow picture: only its position matters here.
class Arrow : public IMEmptyView {};

struct FollowCase {
    const char* name;
    int factor;
    POINT tip;
    POINT report;
    POINT expectedTip; // equal to tip: nothing moved and the cursor was left alone
};

class SlowedCursor : public WindowFixture, public ::testing::WithParamInterface<FollowCase> {
protected:
    SlowedCursor() {
        update();
        arrow.setRect(RECT{0, 0, 12, 21});
    }
    // Puts the tip at `tip` the way a task of the slowed stage does.
    void placeTip(POINT tip, int factor) { followSlowedCursor(tip.x, tip.y, arrow, true, factor); }
    POINT cursor() {
        POINT p;
        platform::getCursorPos(p);
        return p;
    }

    Arrow arrow;
};

TEST_P(SlowedCursor, FollowsByTheFactorBeyondTheDeadZoneOnly) {
    const FollowCase& c = GetParam();
    placeTip(c.tip, c.factor);
    // A cursor position no case produces, to see whether the routine warped it.
    platform::setCursorPos(777, 555);
    ASSERT_EQ(cursor(), (POINT{777, 555})) << "the test needs a cursor that can be warped";

    followSlowedCursor(c.report.x, c.report.y, arrow, false, c.factor);

    const DrawnCursorPosition& tip = drawnCursorPosition();
    EXPECT_EQ((POINT{tip.x, tip.y}), c.expectedTip);
    EXPECT_EQ(arrow.getPosition(), c.expectedTip) << "the arrow's top-left is the tip";
    EXPECT_EQ(arrow.getWidth(), 12) << "moving keeps the arrow's size";
    if (c.expectedTip == c.tip)
        EXPECT_EQ(cursor(), (POINT{777, 555})) << "inside the dead zone the cursor is left alone";
    else
        EXPECT_EQ(cursor(), c.expectedTip) << "the cursor is pulled back to the tip";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlowedCursor,
    ::testing::Values(
        FollowCase{"Factor5Right25IsInsideTheZone", 5, {100, 100}, {125, 100}, {100, 100}},
        FollowCase{"Factor5Right26MovesOnePixel", 5, {100, 100}, {126, 100}, {101, 100}},
        FollowCase{"Factor5Right100MovesFour", 5, {100, 100}, {200, 100}, {104, 100}},
        FollowCase{"Factor5Left100MovesFour", 5, {300, 300}, {200, 300}, {296, 300}},
        FollowCase{"Factor5Up51MovesTwo", 5, {300, 300}, {300, 249}, {300, 298}},
        FollowCase{"Factor5CornerOfTheZone", 5, {300, 300}, {325, 275}, {300, 300}},
        FollowCase{"Factor2Left35Down5MovesLeftOnly", 2, {400, 300}, {365, 305}, {397, 300}},
        FollowCase{"Factor2DiagonalBeyondInXOnly", 2, {400, 300}, {450, 310}, {405, 300}},
        FollowCase{"Factor2DiagonalBeyondInYOnly", 2, {400, 300}, {390, 255}, {400, 296}},
        FollowCase{"Factor3BothAxes", 3, {400, 300}, {460, 240}, {404, 296}},
        FollowCase{"Factor4BothAxesNegative", 4, {400, 300}, {299, 379}, {395, 303}}),
    [](const ::testing::TestParamInfo<FollowCase>& tested) { return std::string(tested.param.name); });

using SlowedCursorReset = SlowedCursor;

TEST_F(SlowedCursorReset, PutsTheArrowOnThePointWithoutTouchingTheCursor) {
    placeTip(POINT{10, 10}, 5);
    platform::setCursorPos(600, 500);
    followSlowedCursor(350, 300, arrow, true, 5);
    EXPECT_EQ(drawnCursorPosition().x, 350);
    EXPECT_EQ(drawnCursorPosition().y, 300);
    EXPECT_EQ(arrow.getPosition(), (POINT{350, 300}));
    EXPECT_EQ(cursor(), (POINT{600, 500}));
}

TEST_F(SlowedCursorReset, StrokesAccumulateOnlyThroughTheWarp) {
    // A hand moving 100 px right per report, each report starting from the warped cursor: the
    // arrow travels a quarter of that per report with factor 5.
    placeTip(POINT{100, 300}, 5);
    platform::setCursorPos(100, 300); // where the task put it
    for (int i = 0; i < 10; ++i) {
        const POINT from = cursor();
        followSlowedCursor(from.x + 100, from.y, arrow, false, 5);
    }
    EXPECT_EQ(arrow.getPosition(), (POINT{140, 300}));
    EXPECT_EQ(cursor(), (POINT{140, 300}));
}

TEST_F(SlowedCursorReset, TheFirstReportOfAllDefinesThePosition) {
    drawnCursorPosition() = DrawnCursorPosition{};
    arrow.moveTo(5, 5);
    followSlowedCursor(420, 310, arrow, false, 5);
    EXPECT_TRUE(drawnCursorPosition().known);
    EXPECT_EQ(drawnCursorPosition().x, 420);
    EXPECT_EQ(drawnCursorPosition().y, 310);
    EXPECT_EQ(arrow.getPosition(), (POINT{5, 5})) << "a first report lies in its own dead zone";
}

TEST_F(SlowedCursorReset, HidingTheSystemCursorGoesBelowZeroFromAnyCount) {
    const int before = platform::cursorDisplayCount();
    while (platform::cursorDisplayCount() < 2) platform::showCursor(true);
    hideSystemCursor();
    EXPECT_EQ(platform::cursorDisplayCount(), -1) << "from a visible state down to -1";
    hideSystemCursor();
    EXPECT_EQ(platform::cursorDisplayCount(), -2) << "a hide while hidden lowers the count once more";
    while (platform::cursorDisplayCount() < before) platform::showCursor(true);
    while (platform::cursorDisplayCount() > before) platform::showCursor(false);
}

} // namespace
