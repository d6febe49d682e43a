#pragma once
// The window timers: one-shot or repeating callbacks fired by the main loop, and the requests of
// controls that need a loop turn every frame (a playing clip). Controls, media and the exercise
// reach them through windowTimers() without knowing the window itself.

#include <boost/function.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "events/IMEvent.h"
#include "events/Signal.h"

class WindowTimers {
public:
    using TimerSlot = boost::function<long(const IMEvent&)>;

    WindowTimers() = default;
    ~WindowTimers();
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;

    int createTimer(std::uint32_t intervalMs);
    IMConnection connectTimer(int id, const TimerSlot& slot);
    void killTimer(int id);
    bool hasTimer(int id) const { return timers_.count(id) != 0; }
    bool empty() const { return timers_.empty(); }

    // Fires every timer whose interval has passed, in id order; `source` is the events' source.
    void fireDue(IMControl* source);

    // Milliseconds until the soonest timer is due (0 when one is overdue); empty without timers.
    std::optional<int> msUntilNextDue() const;

    // Controls that must be updated every frame (a playing clip) keep the loop awake while they
    // are registered: every turn, or, once a requester has said when its next frame is due (on
    // the clock's performance counter), until then, so that a clip of 25 frames a second costs
    // 25 turns a second and not one every millisecond.
    void requestFrameTicks(const void* requester, bool on);
    void nextFrameDueAt(const void* requester, std::uint64_t counter);
    bool wantsFrameTicks() const { return !frameRequesters_.empty(); }
    // Milliseconds until some requester wants its next turn (rounded up, 0 when one is due and
    // `everyTurnMs` for one that wants every turn); empty without requesters.
    std::optional<int> msUntilNextFrame(int everyTurnMs) const;

private:
    struct TimerRecord {
        std::uint32_t interval = 0;
        std::uint64_t lastFired = 0;
        IMSignal<IMEvent> fired;
    };

    int lastTimerId_ = 0;
    std::map<int, std::shared_ptr<TimerRecord>> timers_;
    // Each requester with the counter its next frame is due at, if it has told it.
    std::map<const void*, std::optional<std::uint64_t>> frameRequesters_;
};

// The live window's timers, or null before the window is made and after it is gone.
WindowTimers* windowTimers();
// Installed by the window for its lifetime.
void setWindowTimers(WindowTimers* timers);
