#pragma once
// Painting a container or a text view: clip to its rectangle (relative to the drawing origin)
// within the current clip, move the origin to its top-left corner, and put both back afterwards.

#include "render/GraphicsDevice.h"

class ClipScope {
public:
    ClipScope(GraphicsDevice& device, const RECT& rect)
        : device_(device), saved_(device.getViewport()), savedX_(device.originX),
          savedY_(device.originY) {
        clip_ = intersectRect(
            RECT{savedX_ + rect.left, savedY_ + rect.top, savedX_ + rect.right, savedY_ + rect.bottom},
            RECT{saved_.X, saved_.Y, saved_.X + saved_.Width, saved_.Y + saved_.Height});
        if (isRectEmpty(clip_)) return;
        active_ = true;
        device.setViewport(Viewport{clip_.left, clip_.top, clip_.right - clip_.left,
                                    clip_.bottom - clip_.top, 0.0f, 1.0f});
        device.originX = savedX_ + rect.left;
        device.originY = savedY_ + rect.top;
    }
    ~ClipScope() {
        if (!active_) return;
        device_.originX = savedX_;
        device_.originY = savedY_;
        device_.setViewport(saved_);
    }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

    // False when the rectangle lies wholly outside the current clip: nothing is to be drawn.
    bool visible() const { return active_; }
    // The clip in screen coordinates.
    const RECT& clip() const { return clip_; }

private:
    GraphicsDevice& device_;
    Viewport saved_;
    int savedX_;
    int savedY_;
    RECT clip_{};
    bool active_ = false;
};
