// The window: timers on the test clock, the loop's order, the window procedure, rendering only
// when the tree changed, pausing, and the quit path.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/bind/bind.hpp>

#include "gui/ProbeControl.h"
#include "platform/MessageQueue.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "window/IMResourceManager.h"
#include "support/WindowFixture.h"

namespace {

using Window = WindowFixture;

TEST_F(Window, TimerIdsCountUpFromOneAndAreNeverReused) {
    const int a = window->createTimer(100);
    const int b = window->createTimer(100);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    window->killTimer(a);
    EXPECT_EQ(window->createTimer(5), 3);
    EXPECT_FALSE(window->connectTimer(a, [](const IMEvent&) { return 0L; }).connected());
    EXPECT_FALSE(window->connectTimer(0, [](const IMEvent&) { return 0L; }).connected());
    window->killTimer(0);
    window->killTimer(99);
}

TEST_F(Window, TimerFiresAfterItsIntervalAndThenEveryIntervalUntilKilled) {
    const int id = window->createTimer(100);
    int fired = 0;
    window->connectTimer(id, [&](const IMEvent& e) {
        EXPECT_EQ(e.message, 0u);
        EXPECT_EQ(e.source, window);
        return long(++fired);
    });
    clock.advanceMs(99);
    window->fireDueTimers();
    EXPECT_EQ(fired, 0);
    clock.advanceMs(1);
    window->fireDueTimers();
    EXPECT_EQ(fired, 1);
    window->fireDueTimers();
    EXPECT_EQ(fired, 1) << "counted again from the firing";
    clock.advanceMs(100);
    window->fireDueTimers();
    EXPECT_EQ(fired, 2);
    window->killTimer(id);
    clock.advanceMs(1000);
    window->fireDueTimers();
    EXPECT_EQ(fired, 2);
}

TEST_F(Window, CallbacksMayKillTheirOwnTimerAndCreateNewOnesDuringThePass) {
    std::vector<int> order;
    const int first = window->createTimer(10);
    const int second = window->createTimer(10);
    int chained = 0;
    window->connectTimer(first, [&](const IMEvent&) {
        window->killTimer(first);
        order.push_back(first);
        chained = window->createTimer(0);
        window->connectTimer(chained, [&](const IMEvent&) {
            window->killTimer(chained);
            order.push_back(100);
            return 0L;
        });
        return 0L;
    });
    window->connectTimer(second, [&](const IMEvent&) {
        window->killTimer(second);
        order.push_back(second);
        return 0L;
    });
    clock.advanceMs(10);
    window->fireDueTimers();
    // The timer made during the pass has interval 0 and so fires in the same pass, after the others.
    EXPECT_EQ(order, (std::vector<int>{first, second, 100}));
    EXPECT_FALSE(window->hasTimer(first));
    EXPECT_FALSE(window->hasTimer(second));
    EXPECT_FALSE(window->hasTimer(chained));
}

TEST_F(Window, IdleWaitLastsUntilTheNextTimerOrOneMillisecondWhileAnimating) {
    window->setChanged(true);
    EXPECT_EQ(window->idleWaitMs(), 0) << "a change waiting to be drawn is drawn at once";
    window->updateAndRender();
    EXPECT_EQ(window->idleWaitMs(), -1) << "nothing to do: the wait ends only with input";
    window->createTimer(60);
    clock.advanceMs(20);
    const int wait = window->idleWaitMs();
    EXPECT_GE(wait, 40);
    EXPECT_LE(wait, 41);
    int token = 0;
    window->requestFrameTicks(&token, true);
    EXPECT_EQ(window->idleWaitMs(), 1);
    window->requestFrameTicks(&token, false);
    clock.advanceMs(100);
    EXPECT_EQ(window->idleWaitMs(), 0) << "an overdue timer means no wait";
}

TEST_F(Window, RendersOnlyWhenTheTreeChanged) {
    IMResourceManager* rm = resourceManager();
    ASSERT_NE(rm, nullptr);
    update();
    window->render();
    const auto frames = rm->frameCount;
    EXPECT_FALSE(window->isChanged());
    window->render();
    EXPECT_EQ(rm->frameCount, frames + 1) << "an unchanged pass still counts";
    auto* picture = window->createPicture(10, 10, L"ExitButton", 0);
    update();
    EXPECT_TRUE(window->isChanged());
    window->render();
    EXPECT_FALSE(window->isChanged()) << "painting clears the whole tree";
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(rm->readPixels(RECT{10, 10, 31, 31}, pixels));
    EXPECT_NE(pixels[10 * 21 + 10] & 0x00FFFFFF, 0u) << "the picture reached the screen";
    (void)picture;
}

TEST_F(Window, AFrameThatRedrawsPartOfTheScreenLeavesNoTraceOfWhatMovedOrWent) {
    IMResourceManager* rm = resourceManager();
    auto look = [&](const RECT& area) {
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(rm->readPixels(area, pixels));
        return pixels;
    };
    auto frame = [&] {
        update();
        window->render();
    };
    auto* steady = window->createPicture(300, 300, L"ExitButton", 0);
    frame();
    const RECT there{300, 300, 321, 321};
    const RECT here{10, 10, 31, 31};
    const auto steadyLook = look(there);
    const auto emptyLook = look(here);

    // A picture moves: its old place shows what is beneath, its new place shows it.
    auto* moving = window->createPicture(10, 10, L"ExitButton", 1);
    frame();
    const auto pictureLook = look(here);
    ASSERT_NE(pictureLook, emptyLook);
    moving->moveTo(500, 10);
    frame();
    EXPECT_EQ(look(here), emptyLook) << "nothing left where it was";
    EXPECT_EQ(look(RECT{500, 10, 521, 31}), pictureLook);
    moving->hide();
    frame();
    EXPECT_EQ(look(RECT{500, 10, 521, 31}), look(RECT{600, 10, 621, 31})) << "hidden: gone";

    // A screen over everything closes while a frame is drawn before it is taken away (closed in
    // a timer, say): the frame after the update pass shows what it covered.
    auto* cover = window->createDialog(0, 0, 800, 600, 5);
    cover->createPicture(300, 300, L"SubmitButton", 0);
    frame();
    frame();
    ASSERT_NE(look(there), steadyLook) << "the cover is on screen";
    cover->close();
    window->render();
    frame();
    EXPECT_EQ(look(there), steadyLook) << "what the cover hid is drawn again";
    (void)steady;
}

TEST_F(Window, MinimisedOrHiddenWindowRendersNothingAndResumesOnRestore) {
    IMResourceManager* rm = resourceManager();
    update();
    window->render();
    platform::NativeMessage minimise{WM_SIZE, SIZE_MINIMIZED, 0, 0, 0};
    window->handleMessage(minimise);
    EXPECT_TRUE(window->isPaused());
    const auto frames = rm->frameCount;
    window->setChanged(true);
    window->render();
    EXPECT_EQ(rm->frameCount, frames) << "no frame, no count";
    window->handleMessage(platform::NativeMessage{WM_SIZE, SIZE_RESTORED, 0, 0, 0});
    window->handleMessage(platform::NativeMessage{WM_PAINT, 0, 0, 0, 0});
    EXPECT_FALSE(window->isPaused());
    EXPECT_TRUE(window->isChanged()) << "WM_PAINT marks the tree for a redraw";
    window->handleMessage(platform::NativeMessage{WM_SHOWWINDOW, 0, 0, 0, 0});
    EXPECT_TRUE(window->isPaused());
    window->handleMessage(platform::NativeMessage{WM_SHOWWINDOW, 1, 0, 0, 0});
    EXPECT_FALSE(window->isPaused());
}

TEST_F(Window, CharReachesKeyMessageButNotKeyDown) {
    int downs = 0;
    int messages = 0;
    window->keyDown.connect([&](const IMKeyboardEvent&) { return long(++downs); });
    window->keyMessage.connect([&](const IMKeyboardEvent&) { return long(++messages); });
    window->handleMessage(platform::NativeMessage{WM_CHAR, L'я', 1, 0, 0});
    window->handleMessage(platform::NativeMessage{WM_SYSKEYDOWN, 'X', 1, 0, 0});
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(messages, 2);
}

TEST_F(Window, RightAndMiddleDoubleClicksProduceNoButtonEvent) {
    std::vector<std::uint32_t> seen;
    window->mouseButton.connect([&](const IMMouseEvent& e) {
        seen.push_back(e.message);
        return 0L;
    });
    for (std::uint32_t m : {WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_LBUTTONDBLCLK})
        window->handleMessage(platform::NativeMessage{m, MK_LBUTTON, 0, 5, 5});
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_LBUTTONDBLCLK}));
}

TEST_F(Window, DroppedMouseMovesWhileTheDeviceIsLostAndRedrawAfterRestore) {
    IMResourceManager* rm = resourceManager();
    int moves = 0;
    window->mouseMoved.connect([&](const IMMouseEvent&) { return long(++moves); });
    rm->simulateDeviceLoss();
    window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, 5, 5});
    EXPECT_EQ(moves, 0);
    window->handleMessage(platform::NativeMessage{WM_LBUTTONDOWN, MK_LBUTTON, 0, 5, 5});
    window->handleMessage(platform::NativeMessage{WM_PAINT, 0, 0, 0, 0});
    EXPECT_FALSE(rm->isDeviceLost());
    EXPECT_TRUE(window->isChanged());
    window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, 5, 5});
    EXPECT_EQ(moves, 1);
}

TEST_F(Window, CloseClosesTheTreeAndEndsTheLoop) {
    auto* dialog = window->createDialog(0, 0, 100, 100, 0);
    int closed = 0;
    dialog->closed.connect([&](const IMEvent&) { return long(++closed); });
    update();
    platform::discardMessages();
    window->handleMessage(platform::NativeMessage{WM_CLOSE, 0, 0, 0, 0});
    EXPECT_EQ(closed, 0) << "children get onClose, their closed signal is the caller's";
    EXPECT_FALSE(window->pumpOnce()) << "the quit message ends the loop";
    EXPECT_TRUE(window->hasPendingDeletes() || window->children().empty());
}

// The report is saved from the window's `closed` signal, so every way out must fire it: the
// exit menu's Close calls close(); Alt+F4, the window manager's close button, SIGTERM and logging
// out all arrive as WM_CLOSE. A second way out after the first changes nothing.
TEST_F(Window, EveryWayOutFiresClosedOnceAndEndsTheLoop) {
    struct WayOut {
        const char* name;
        std::vector<bool> steps; // true: WM_CLOSE through the window procedure; false: close()
    };
    const WayOut ways[] = {
        {"WM_CLOSE (Alt+F4, close button, SIGTERM)", {true}},
        {"close() (the exit menu)", {false}},
        {"close() and then WM_CLOSE", {false, true}},
        {"WM_CLOSE twice", {true, true}},
    };
    for (const WayOut& way : ways) {
        SCOPED_TRACE(way.name);
        delete window;
        platform::discardMessages();
        window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"test", true, nullptr);
        int closed = 0;
        window->closed.connect([&](const IMEvent&) { return long(++closed); });
        for (const bool message : way.steps) {
            if (message)
                window->handleMessage(platform::NativeMessage{WM_CLOSE, 0, 0, 0, 0});
            else
                window->close();
        }
        EXPECT_EQ(closed, 1);
        EXPECT_FALSE(window->pumpOnce()) << "the loop ends";
    }
}

TEST_F(Window, LoopDrainsInputBeforeUpdatingAndFiresTimersAfterRendering) {
    std::vector<std::string> order;
    window->mouseMoved.connect([&](const IMMouseEvent&) {
        order.push_back("message");
        return 0L;
    });
    window->updated.connect([&](const IMEvent&) {
        order.push_back("update");
        return 0L;
    });
    window->painted.connect([&](const IMEvent&) {
        order.push_back("paint");
        return 0L;
    });
    const int id = window->createTimer(0);
    window->connectTimer(id, [&](const IMEvent&) {
        window->killTimer(id);
        order.push_back("timer");
        return 0L;
    });
    platform::discardMessages();
    // Without a window manager's pointer the headless driver reports each warp as a move.
    window->setCursorPos(10, 10);
    window->setCursorPos(20, 20);
    window->setChanged(true);
    EXPECT_TRUE(window->pumpOnce());
    EXPECT_EQ(order, (std::vector<std::string>{"message", "message", "update", "paint", "timer"}));
}

TEST_F(Window, DestroyedWindowDeletesItsWholeTree) {
    std::vector<std::string> log;
    new ProbeControl(window, RECT{0, 0, 10, 10}, 0, &log, "committed");
    auto* panel = window->createDialog(0, 0, 100, 100, 1);
    window->createPicture(10, 10, L"ExitButton", 2);
    update();
    new ProbeControl(panel, RECT{0, 0, 10, 10}, 0, &log, "inPanel");
    new ProbeControl(window, RECT{0, 0, 10, 10}, 0, &log, "pending");
    delete window;
    window = nullptr;
    for (const char* name : {"committed", "inPanel", "pending"})
        EXPECT_EQ(std::count(log.begin(), log.end(), std::string(name) + ":deleted"), 1) << name;
}

} // namespace
