#pragma once
// The top-level window: owner of the native window and the graphics device, root container of the
// control tree, keeper of the window timers, and the main loop.

#include <boost/function.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "gui/IMDialogBase.h"

namespace platform {
class NativeWindow;
struct NativeMessage;
} // namespace platform

class IMWindow : public IMDialogBase<IMEmptyView> {
public:
    using TimerSlot = boost::function<long(const IMEvent&)>;

    // Makes the native window, the graphics device and the window object. A window that cannot be
    // made ends the process with a message on standard error and a non-zero status; a device that
    // cannot be made throws.
    static IMWindow* create(const RECT& rect, void* menu, const std::wstring& caption,
                            bool windowed, void* instance);
    ~IMWindow() override;

    long detach() override;
    long tick() override;
    virtual void render();

    long setCursorPos(int x, int y);

    int createTimer(std::uint32_t intervalMs);
    IMConnection connectTimer(int id, const TimerSlot& slot);
    void killTimer(int id);
    bool hasTimer(int id) const { return timers_.count(id) != 0; }

    // The main loop; returns when the quit message arrives.
    static int run(IMWindow* window);

    // One turn of the loop without the idle wait: drain the queue, update, render, fire due timers.
    // False once the quit message was taken.
    bool pumpOnce();
    void fireDueTimers();
    void updateAndRender();

    // The window procedure: what a native message does to the window.
    void handleMessage(const platform::NativeMessage& message);

    // Registered messages (the sound system's notices) go to this handler first.
    void setRegisteredMessageHandler(std::function<void(std::uint32_t, WPARAM, LPARAM)> handler);

    // Controls that must be updated every frame (a playing clip) keep the loop from sleeping
    // longer than a millisecond while they are registered.
    void requestFrameTicks(const void* requester, bool on);

    bool isPaused() const { return paused_; }
    platform::NativeWindow* nativeWindow() const { return native_.get(); }

    // How long the loop may sleep now, in milliseconds: until the next timer is due, 1 ms while
    // something animates, and a bounded wait otherwise.
    int idleWaitMs() const;

protected:
    explicit IMWindow(std::unique_ptr<platform::NativeWindow> native);

private:
    struct TimerRecord {
        std::uint32_t interval = 0;
        std::uint64_t lastFired = 0;
        IMSignal<IMEvent> fired;
    };

    std::unique_ptr<platform::NativeWindow> native_;
    bool paused_ = false;
    bool quit_ = false;
    int lastTimerId_ = 0;
    std::map<int, std::shared_ptr<TimerRecord>> timers_;
    std::function<void(std::uint32_t, WPARAM, LPARAM)> registeredHandler_;
    std::set<const void*> frameRequesters_;
};

// The process-wide window (null before creation and after destruction).
IMWindow* imWindow();
