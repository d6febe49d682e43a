#pragma once
// The interface through which an animation control asks a view for a frame by number.

#include <climits>

class IMAnimationView {
public:
    virtual ~IMAnimationView() = default;
    virtual void showFrame(int n) = 0;
    virtual int currentFrame() const = 0;
    virtual int firstFrame() const = 0;
    // INT_MAX until the end of the data has been reached, then the number of the last frame.
    virtual int lastFrame() const = 0;
    virtual void setFirstFrame(int n) = 0;
    virtual void setLastFrame(int n) = 0;
    // True once the clip turned out to be damaged: it then behaves as a clip that has ended.
    virtual bool hasFailed() const { return false; }
};
