#pragma once
// An event that wakes one waiter and resets itself when a wait takes it.

#include <chrono>
#include <condition_variable>
#include <mutex>

class AutoResetEvent {
public:
    void set() {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            signalled_ = true;
        }
        condition_.notify_one();
    }
    void reset() {
        std::lock_guard<std::mutex> guard(mutex_);
        signalled_ = false;
    }
    // True when the event was signalled within `timeout` (the signal is then consumed).
    bool waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!condition_.wait_for(lock, timeout, [this] { return signalled_; })) return false;
        signalled_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable condition_;
    bool signalled_ = false;
};
