#pragma once
// A real window over the software renderer (CTest runs headless with the offscreen driver), with
// the timers on a clock the test drives.

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "support/ManualClock.h"
#include "platform/MessageQueue.h"
#include "window/IMWindow.h"

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() : clockScope(clock) {
        window = IMWindow::create(RECT{0, 0, 800, 600}, nullptr, L"test", true, nullptr);
    }
    ~WindowFixture() override {
        delete window;
        platform::discardMessages();
    }

    // One update pass: pending children are committed, ticks run.
    void update() { window->onUpdate(IMEvent(window, IM_MSG_CLOSE)); }
    // Moves the test clock and fires what is due, in steps of `stepMs`.
    void advance(std::uint64_t ms, std::uint64_t stepMs = 10) {
        for (std::uint64_t done = 0; done < ms; done += stepMs) {
            clock.advanceMs(std::min(stepMs, ms - done));
            window->fireDueTimers();
            update();
        }
    }

    platform::ManualClock clock;
    platform::ScopedClock clockScope;
    IMWindow* window = nullptr;
};
