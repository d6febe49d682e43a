#pragma once
// Views carry geometry and drawing: a rectangle relative to the parent, a content rectangle whose
// meaning depends on the kind of view, and a changed flag.

#include "events/WinTypes.h"

class IMView {
public:
    IMView() = default;
    virtual ~IMView() = default;
    IMView(const IMView&) = delete;
    IMView& operator=(const IMView&) = delete;

    virtual void setRect(const RECT& r);
    virtual RECT getRect() const { return rect_; }
    virtual void setContentRect(const RECT& r);
    virtual RECT getContentRect() const { return contentRect_; }
    virtual void moveTo(int x, int y) { moveTo(POINT{x, y}); }
    virtual void moveTo(const POINT& p);
    virtual POINT getPosition() const;
    virtual void setSize(int w, int h);
    virtual int getHeight() const;
    virtual int getWidth() const;
    virtual void draw() = 0;
    virtual bool hitTest(const POINT& p);
    virtual bool isChanged() const { return changed_; }
    virtual void setChanged(bool changed) { changed_ = changed; }

protected:
    RECT rect_{};
    RECT contentRect_{};
    bool changed_ = false;
};

class IMEmptyView : public IMView {
public:
    void draw() override { changed_ = false; }
};
