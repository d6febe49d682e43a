// The move task on a real control tree with the timers on a test clock: its pictures, the fades,
// the start/target/dwell rules driven by mouse moves through the window, success and completion,
// and what closing the screen or deleting the task does to what is still pending.

#include <gtest/gtest.h>

#include <boost/bind/bind.hpp>
#include <memory>
#include <string>
#include <vector>

#include "exercise/ExerciseSounds.h"
#include "exercise/MouseMove.h"
#include "platform/Cursor.h"
#include "window/IMResourceManager.h"
#include "support/WindowFixture.h"

namespace {

class MoveTask : public WindowFixture {
protected:
    MoveTask() {
        screen = new IMContainer(window, std::nullopt, 0);
        update();
        sounds = exercise::soundRequests().connect(
            [this](const std::wstring& name) { requested.push_back(name); });
    }

    std::unique_ptr<MouseMove> makeTask(int x1, int y1, int x2, int y2, int size,
                                        bool interactive = true) {
        auto task = std::make_unique<MouseMove>(x1, y1, screen, x2, y2, size, interactive);
        task->completed.connect([this](bool value) { completions.push_back(value); });
        update(); // the pictures join the screen on the next update pass
        return task;
    }
    void mouse(int x, int y) {
        window->onMouseMove(IMMouseEvent(window, WM_MOUSEMOVE, 0, x, y));
    }
    // Advances the clock in one jump and fires what became due: a chain of one-shot timers moves
    // on by one link per jump (WindowFixture::advance walks in 10 ms steps instead).
    void jump(std::uint64_t ms) {
        clock.advanceMs(ms);
        window->fireDueTimers();
        update();
    }
    int successSounds() const {
        return static_cast<int>(std::count(requested.begin(), requested.end(), L"120"));
    }
    static std::uint32_t alpha(const MouseMove::Picture* p) { return p->color >> 24; }
    static std::uint32_t rgb(const MouseMove::Picture* p) { return p->color & 0xFFFFFF; }
    bool onScreen(const IMControl* control) const {
        for (const auto& [layer, children] : screen->children())
            if (std::find(children.begin(), children.end(), control) != children.end()) return true;
        return false;
    }

    IMContainer* screen = nullptr;
    std::vector<std::wstring> requested;
    std::vector<bool> completions;
    boost::signals2::scoped_connection sounds;
};

// The pupil's path of a successful task: on the start circle, off it, onto the target.
constexpr POINT startPoint{300, 300};
constexpr POINT offStart{340, 300};
constexpr POINT onTarget{450, 300};

TEST_F(MoveTask, PicturesAreTintedDiscsWithTheirRectanglesLayersAndThresholds) {
    auto task = makeTask(300, 300, 450, 300, 100);
    const auto disc = resourceManager()->findTexture(L"101");
    ASSERT_NE(disc, resourceManager()->invalidHandle()) << "image 101 must be registered";
    struct Expected {
        const MouseMove::Picture* picture;
        RECT rect;
        int layer;
        std::uint32_t rgb;
        int threshold;
    } expected[] = {
        {task->startCircle, {290, 290, 310, 310}, 0, 0x6666CC, 0},
        {task->targetCircle, {400, 250, 500, 350}, 0, 0xFFCC99, 0},
        {task->centreMark, {440, 290, 460, 310}, 1, 0xFF9933, 256},
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(e.picture->getRect(), e.rect);
        EXPECT_EQ(e.picture->color, e.rgb) << "alpha starts at 0";
        EXPECT_EQ(e.picture->alphaThreshold, e.threshold);
        EXPECT_EQ(e.picture->getTexture(), disc);
        const auto& layer = screen->children().at(e.layer);
        EXPECT_NE(std::find(layer.begin(), layer.end(), e.picture), layer.end());
    }
}

TEST_F(MoveTask, AnOddSizeIsCentredByHalfTruncated) {
    auto task = makeTask(100, 100, 300, 300, 73);
    EXPECT_EQ(task->targetCircle->getRect(), (RECT{264, 264, 337, 337}));
}

TEST_F(MoveTask, PutsTheSystemCursorOnTheFirstCircle) {
    platform::setCursorPos(5, 5);
    auto task = makeTask(123, 456, 600, 456, 50);
    POINT p;
    platform::getCursorPos(p);
    EXPECT_EQ(p, (POINT{123, 456}));
}

TEST_F(MoveTask, FadesInByTwentyFiveEveryHundredMillisecondsAndStaysAt250) {
    auto task = makeTask(300, 300, 450, 300, 100);
    jump(99);
    EXPECT_EQ(alpha(task->startCircle), 0u) << "nothing before the first interval";
    for (std::uint32_t step = 1; step <= 10; ++step) {
        jump(step == 1 ? 1 : 100);
        for (const auto* p : {task->startCircle, task->targetCircle, task->centreMark})
            EXPECT_EQ(alpha(p), 25 * step) << "step " << step;
    }
    EXPECT_EQ(rgb(task->startCircle), 0x6666CCu);
    EXPECT_EQ(rgb(task->targetCircle), 0xFFCC99u);
    EXPECT_EQ(rgb(task->centreMark), 0xFF9933u);
    jump(1000);
    EXPECT_EQ(alpha(task->targetCircle), 250u);
}

TEST_F(MoveTask, RestingTwoSecondsOnTheTargetSucceedsAndCompletesAfterTheFadeOut) {
    auto task = makeTask(300, 300, 450, 300, 100);
    advance(1000);
    EXPECT_EQ(alpha(task->targetCircle), 250u);
    mouse(startPoint.x, startPoint.y);
    EXPECT_EQ(screen->hoveredChild(), task->startCircle);
    mouse(offStart.x, offStart.y);
    EXPECT_TRUE(task->started);
    mouse(onTarget.x, onTarget.y);
    EXPECT_EQ(screen->hoveredChild(), task->targetCircle) << "the centre mark is never hit";
    jump(1999);
    EXPECT_EQ(successSounds(), 0);
    jump(1);
    EXPECT_EQ(successSounds(), 1);
    EXPECT_TRUE(completions.empty());

    // The fade-out: 225, 200, ... 25 at 100 ms steps, then 0 with the pictures gone.
    for (std::uint32_t step = 1; step <= 9; ++step) {
        jump(100);
        EXPECT_EQ(alpha(task->targetCircle), 250 - 25 * step);
        EXPECT_TRUE(completions.empty()) << "step " << step;
    }
    const auto* target = task->targetCircle;
    EXPECT_TRUE(onScreen(target));
    jump(100);
    ASSERT_EQ(completions, std::vector<bool>{true});
    EXPECT_FALSE(onScreen(target)) << "the pictures were closed and deleted";
    EXPECT_FALSE(task->aborted) << "closing its own pictures does not abort the task";
    jump(5000);
    EXPECT_EQ(completions.size(), 1u);
    EXPECT_EQ(successSounds(), 1);
}

TEST_F(MoveTask, OnTheTargetButStillInsideTheStartSquareDoesNotCount) {
    // Overlapping circles: the target's square holds the start circle's.
    auto task = makeTask(300, 300, 305, 300, 100);
    mouse(startPoint.x + 2, startPoint.y);
    EXPECT_EQ(screen->hoveredChild(), task->targetCircle);
    EXPECT_FALSE(task->started);
    jump(5000);
    EXPECT_EQ(successSounds(), 0);

    // Out of the start square while still on the target: the wait begins without a re-entry.
    mouse(startPoint.x + 30, startPoint.y);
    EXPECT_TRUE(task->started);
    jump(1999);
    EXPECT_EQ(successSounds(), 0);
    jump(1);
    EXPECT_EQ(successSounds(), 1);
}

// However quick the hand, resting on the target completes the task. The cursor is put on the
// start circle when the task is made, but the circles join the screen only at the next update
// pass, and the reports of a quick hand may all arrive before it.
TEST_F(MoveTask, AQuickHandCompletesTheTaskWhateverTheReportsRaceAgainst) {
    struct Case {
        const char* name;
        bool reportsBeforeTheCirclesAppear;
        std::vector<POINT> reports;
    };
    const Case cases[] = {
        {"one report from the start straight onto the target", false, {startPoint, onTarget}},
        {"the first report already on the target", false, {onTarget}},
        {"the first report on the target before the circles appear", true, {onTarget}},
        {"a quick stroke before the circles appear", true,
         {{312, 300}, {362, 300}, {412, 300}, onTarget}},
        {"a quick stroke away and back onto the target", false,
         {{300, 250}, {380, 250}, onTarget}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        requested.clear();
        completions.clear();
        auto task = std::make_unique<MouseMove>(300, 300, screen, 450, 300, 100, true);
        task->completed.connect([this](bool value) { completions.push_back(value); });
        if (!c.reportsBeforeTheCirclesAppear) update();
        for (const POINT& p : c.reports) mouse(p.x, p.y);
        update();
        EXPECT_EQ(screen->hoveredChild(), task->targetCircle);
        jump(1999);
        EXPECT_EQ(successSounds(), 0);
        jump(1);
        EXPECT_EQ(successSounds(), 1);
        for (int step = 0; step < 10; ++step) jump(100);
        EXPECT_EQ(completions, std::vector<bool>{true});
        task.reset();
        update();
    }
}

TEST_F(MoveTask, LeavingTheTargetCancelsAndReEnteringWaitsTheFullTwoSecondsAgain) {
    auto task = makeTask(300, 300, 450, 300, 100);
    mouse(startPoint.x, startPoint.y);
    mouse(offStart.x, offStart.y);
    mouse(onTarget.x, onTarget.y);
    jump(1500);
    mouse(offStart.x, offStart.y);
    jump(1000);
    EXPECT_EQ(successSounds(), 0) << "the wait was cancelled";
    mouse(onTarget.x + 40, onTarget.y + 40); // anywhere in the target's square, corners too
    jump(1999);
    EXPECT_EQ(successSounds(), 0) << "a re-entry waits the full time";
    jump(1);
    EXPECT_EQ(successSounds(), 1);
}

TEST_F(MoveTask, MovingWithinTheTargetKeepsTheWait) {
    auto task = makeTask(300, 300, 450, 300, 100);
    mouse(startPoint.x, startPoint.y);
    mouse(offStart.x, offStart.y);
    mouse(onTarget.x, onTarget.y);
    jump(1000);
    mouse(onTarget.x - 45, onTarget.y + 45);
    mouse(onTarget.x, onTarget.y); // across the centre mark
    jump(1000);
    EXPECT_EQ(successSounds(), 1);
}

TEST_F(MoveTask, ANonInteractivePairIgnoresTheCursorUntilToldToSucceed) {
    auto task = makeTask(150, 300, 650, 300, 100, false);
    mouse(150, 300);
    mouse(200, 300);
    mouse(650, 300);
    jump(5000);
    EXPECT_FALSE(task->started);
    EXPECT_EQ(successSounds(), 0);
    task->succeed();
    EXPECT_EQ(successSounds(), 1);
    advance(990);
    EXPECT_TRUE(completions.empty());
    advance(10);
    EXPECT_EQ(completions, std::vector<bool>{true});
    EXPECT_FALSE(onScreen(task->startCircle));
}

struct CloseCase {
    const char* name;
    int fadeInMs;        // how far the fade-in got before the screen closed
    bool succeedFirst;   // the task was already fading out
};

class MoveTaskClosing : public MoveTask, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(MoveTaskClosing, ClosingTheScreenMidFadeAbortsQuietly) {
    const CloseCase& c = GetParam();
    auto task = makeTask(300, 300, 450, 300, 100);
    advance(static_cast<std::uint64_t>(c.fadeInMs));
    if (c.succeedFirst) {
        task->succeed();
        advance(300);
        EXPECT_EQ(alpha(task->startCircle), 175u);
    }
    const std::uint32_t before = alpha(task->startCircle);
    screen->close();
    EXPECT_TRUE(task->aborted);
    // The next fade step runs before the pictures are deleted and must leave them alone.
    clock.advanceMs(100);
    window->fireDueTimers();
    EXPECT_EQ(alpha(task->startCircle), before);
    update();
    advance(3000);
    EXPECT_TRUE(completions.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MoveTaskClosing,
    ::testing::Values(CloseCase{"DuringFadeIn", 300, false}, CloseCase{"DuringFadeOut", 1000, true}),
    [](const ::testing::TestParamInfo<CloseCase>& tested) { return std::string(tested.param.name); });

TEST_F(MoveTask, DeletingATaskCancelsItsPendingFadeAndDwellWait) {
    auto task = makeTask(300, 300, 450, 300, 100);
    mouse(startPoint.x, startPoint.y);
    mouse(offStart.x, offStart.y);
    mouse(onTarget.x, onTarget.y);
    advance(300);
    auto* start = task->startCircle;
    task.reset();
    advance(3000);
    EXPECT_EQ(alpha(start), 75u) << "no fade step reached the pictures after the task went";
    EXPECT_EQ(successSounds(), 0) << "the dwell wait went with the task";
    mouse(offStart.x, offStart.y); // hover changes reach no deleted handler
    mouse(onTarget.x, onTarget.y);
    jump(3000);
    EXPECT_EQ(successSounds(), 0);
}

TEST_F(MoveTask, ACompletionSlotMayRetireTheTaskItIsTold) {
    auto task = makeTask(300, 300, 450, 300, 100);
    task->completed.connect([&task](bool) { task->retire(); });
    task->succeed();
    advance(1000);
    EXPECT_EQ(completions, std::vector<bool>{true});
    EXPECT_TRUE(task->aborted);
}

} // namespace
