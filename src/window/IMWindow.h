#pragma once
// The top-level window: owner of the native window and the graphics device, root container of the
// control tree, keeper of the window timers, and the main loop.

#include <cstdint>
#include <memory>
#include <string>

#include "events/WindowTimers.h"
#include "gui/IMDialogBase.h"

namespace platform {
class NativeWindow;
struct NativeMessage;
} // namespace platform

class IMWindow : public IMDialogBase<IMEmptyView> {
public:
    using TimerSlot = WindowTimers::TimerSlot;

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

    int createTimer(std::uint32_t intervalMs) { return timers_.createTimer(intervalMs); }
    IMConnection connectTimer(int id, const TimerSlot& slot) { return timers_.connectTimer(id, slot); }
    void killTimer(int id) { timers_.killTimer(id); }
    bool hasTimer(int id) const { return timers_.hasTimer(id); }
    WindowTimers& timers() { return timers_; }

    // Every way out (the exit menu, Alt+F4, the window manager's close button, SIGTERM, logging
    // out) ends here: `closed` fires once, the tree closes and the loop is asked to quit.
    void close() override;

    // The main loop; returns when the quit message arrives.
    static int run(IMWindow* window);

    // One turn of the loop without the idle wait: drain the queue, update, render, fire due timers.
    // False once the quit message was taken.
    bool pumpOnce();
    void fireDueTimers() { timers_.fireDue(this); }
    void updateAndRender();

    // The window procedure: what a native message does to the window. The sound system's
    // registered notices go to it from here.
    void handleMessage(const platform::NativeMessage& message);

    void requestFrameTicks(const void* requester, bool on) { timers_.requestFrameTicks(requester, on); }

    bool isPaused() const { return paused_; }
    platform::NativeWindow* nativeWindow() const { return native_.get(); }

    // How long the loop may sleep now, in milliseconds: 0 while a change waits to be drawn, 1 ms
    // while something animates, until the next timer is due, and -1 (until input arrives) when
    // nothing is scheduled.
    int idleWaitMs() const;

protected:
    explicit IMWindow(std::unique_ptr<platform::NativeWindow> native);

private:
    // Whether a frame could be drawn now (neither minimised nor with a lost device).
    bool canDraw() const;

    std::unique_ptr<platform::NativeWindow> native_;
    WindowTimers timers_;
    bool paused_ = false;
    bool closing_ = false;
};

// The process-wide window (null before creation and after destruction).
IMWindow* imWindow();
