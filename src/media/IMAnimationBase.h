#pragma once
// A view control with a clock: every update pass turns the time since start() into a frame number
// and asks the view for that frame; once the time is past the last frame it stops and fires
// `finished`. Time is counted in 1/60 ms, so a frame period of 2400 is 25 frames per second and
// 5000 is 12.

#include <cstdint>

#include "gui/IMViewControl.h"
#include "platform/Clock.h"
#include "events/WindowTimers.h"

template <typename V> class IMAnimationBase : public IMViewControl<V> {
public:
    IMAnimationBase(IMContainer* parent, int layer) : IMViewControl<V>(parent, layer) {}
    ~IMAnimationBase() override { requestTicks(false); }

    void start() {
        if (!started.empty()) started(IMEvent(this, IM_MSG_STATE));
        if (!frameAdvanced.empty()) frameAdvanced(IMEvent(this, IM_MSG_STATE));
        playing_ = true;
        startCounter_ = platform::clock().performanceCounter();
        requestTicks(true);
        nextFrameDueAt(1);
    }

    bool isPlaying() const { return playing_; }

    long tick() override {
        if (!playing_) return 0;
        if (this->hasFailed()) {
            finish();
            return 0;
        }
        const platform::Clock& clock = platform::clock();
        const auto elapsed = static_cast<std::int64_t>(
            (clock.performanceCounter() - startCounter_) * 60000 / clock.performanceFrequency());
        const std::int64_t w = elapsed / (framePeriod > 0 ? framePeriod : 1);
        // While the last frame is unknown (INT_MAX) the count wraps to INT_MIN and f equals w.
        const auto count = static_cast<std::int32_t>(static_cast<std::uint32_t>(this->lastFrame()) -
                                                     static_cast<std::uint32_t>(this->firstFrame()) + 1u);
        const std::int64_t f = count == 0 ? 0 : w % static_cast<std::int64_t>(count);
        const std::int64_t target = f + this->firstFrame();
        nextFrameDueAt(w + 1);
        if (target != this->currentFrame()) {
            if (w <= static_cast<std::int64_t>(this->lastFrame()) - this->firstFrame()) {
                if (!frameAdvanced.empty()) frameAdvanced(IMEvent(this, IM_MSG_STATE));
                this->showFrame(static_cast<int>(target));
            } else {
                finish();
            }
        }
        return 0;
    }

    // Frame period in 1/60 ms: 60000 / frames per second.
    std::int32_t framePeriod = 2400;

    IMControl::EventSignal started;
    IMControl::EventSignal finished;
    IMControl::EventSignal frameAdvanced;

private:
    void finish() {
        playing_ = false;
        requestTicks(false);
        if (!finished.empty()) finished(IMEvent(this, IM_MSG_STATE));
    }
    void requestTicks(bool on) {
        if (WindowTimers* timers = windowTimers()) timers->requestFrameTicks(this, on);
    }
    // The loop sleeps until frame `w` (counted from start) is due.
    void nextFrameDueAt(std::int64_t w) {
        WindowTimers* timers = windowTimers();
        if (!timers) return;
        const platform::Clock& clock = platform::clock();
        const std::int64_t period = framePeriod > 0 ? framePeriod : 1;
        const auto offset = static_cast<std::uint64_t>(
            (w * period * static_cast<std::int64_t>(clock.performanceFrequency()) + 59999) / 60000);
        timers->nextFrameDueAt(this, startCounter_ + offset);
    }

    bool playing_ = false;
    std::uint64_t startCounter_ = 0;
};
