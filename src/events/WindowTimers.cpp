#include "events/WindowTimers.h"

#include <algorithm>

#include "platform/Clock.h"

namespace {
WindowTimers* g_timers = nullptr;

// Whole milliseconds from now until `dueAt` on the clock's counter, rounded up so that a wait
// never ends just before what it waits for (0 once that is past).
class MillisecondsUntil {
public:
    MillisecondsUntil()
        : now_(static_cast<std::int64_t>(platform::clock().performanceCounter())),
          freq_(static_cast<std::int64_t>(platform::clock().performanceFrequency())) {}
    std::int64_t operator()(std::int64_t dueAt) const {
        return std::max<std::int64_t>(0, ((dueAt - now_) * 1000 + freq_ - 1) / freq_);
    }
    std::int64_t frequency() const { return freq_; }

private:
    std::int64_t now_;
    std::int64_t freq_;
};
} // namespace

WindowTimers* windowTimers() { return g_timers; }
void setWindowTimers(WindowTimers* timers) { g_timers = timers; }

WindowTimers::~WindowTimers() {
    if (g_timers == this) g_timers = nullptr;
}

int WindowTimers::createTimer(std::uint32_t intervalMs) {
    const int id = ++lastTimerId_;
    auto record = std::make_shared<TimerRecord>();
    record->interval = intervalMs;
    record->lastFired = platform::clock().performanceCounter();
    timers_.emplace(id, std::move(record));
    return id;
}

IMConnection WindowTimers::connectTimer(int id, const TimerSlot& slot) {
    auto it = timers_.find(id);
    if (id == 0 || it == timers_.end()) return IMConnection();
    return it->second->fired.connect(slot);
}

void WindowTimers::killTimer(int id) {
    auto it = timers_.find(id);
    if (id == 0 || it == timers_.end()) return;
    it->second->fired.disconnect_all_slots();
    timers_.erase(it);
}

void WindowTimers::fireDue(IMControl* source) {
    if (timers_.empty()) return;
    const platform::Clock& clock = platform::clock();
    const auto now = static_cast<std::int64_t>(clock.performanceCounter());
    const auto freq = static_cast<std::int64_t>(clock.performanceFrequency());
    for (auto it = timers_.begin(); it != timers_.end();) {
        const int id = it->first;
        // Holding the record keeps its signal alive if a slot kills the timer while it runs.
        std::shared_ptr<TimerRecord> record = it->second;
        const std::int64_t elapsed =
            (now - static_cast<std::int64_t>(record->lastFired)) * 1000 / freq;
        if (elapsed >= static_cast<std::int64_t>(record->interval)) {
            record->lastFired = clock.performanceCounter();
            if (!record->fired.empty()) record->fired(IMEvent(source, IM_MSG_STATE));
        }
        // Callbacks may kill their own timer or create new ones: continue after this id.
        it = timers_.upper_bound(id);
    }
}

std::optional<int> WindowTimers::msUntilNextDue() const {
    if (timers_.empty()) return std::nullopt;
    const MillisecondsUntil until;
    std::int64_t soonest = INT32_MAX;
    for (const auto& [id, record] : timers_) {
        const std::int64_t dueAt =
            static_cast<std::int64_t>(record->lastFired) +
            (static_cast<std::int64_t>(record->interval) * until.frequency() + 999) / 1000;
        soonest = std::min(soonest, until(dueAt));
    }
    return static_cast<int>(soonest);
}

void WindowTimers::requestFrameTicks(const void* requester, bool on) {
    if (on)
        frameRequesters_.try_emplace(requester);
    else
        frameRequesters_.erase(requester);
}

void WindowTimers::nextFrameDueAt(const void* requester, std::uint64_t counter) {
    if (auto it = frameRequesters_.find(requester); it != frameRequesters_.end()) it->second = counter;
}

std::optional<int> WindowTimers::msUntilNextFrame(int everyTurnMs) const {
    if (frameRequesters_.empty()) return std::nullopt;
    const MillisecondsUntil until;
    std::int64_t soonest = INT32_MAX;
    for (const auto& [requester, due] : frameRequesters_) {
        if (!due) return everyTurnMs;
        soonest = std::min(soonest, until(static_cast<std::int64_t>(*due)));
    }
    return static_cast<int>(soonest);
}
