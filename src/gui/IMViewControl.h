#pragma once
// A control joined with a view of kind V. The view's geometry and changed flag are the control's:
// a move made through the view reaches the control, and the control's change tracking sees it.

#include "gui/IMControl.h"
#include "gui/IMView.h"

template <typename V> class IMViewControl : public IMControl, public V {
public:
    IMViewControl(IMContainer* parent, int layer) : IMControl(parent, layer) {}

    void setRect(const RECT& r) override {
        if (r == this->rect_) return;
        this->rect_ = r;
        setChanged(true);
    }
    RECT getRect() const override { return this->rect_; }
    bool isChanged() const override { return this->changed_; }
    void setChanged(bool isNowChanged) override {
        this->changed_ = isNowChanged;
        IMControl::setChanged(isNowChanged);
    }
    bool hitTest(int x, int y) override {
        if (isHidden()) return false;
        return V::hitTest(POINT{x, y});
    }
    bool hitTest(const POINT& p) override { return hitTest(p.x, p.y); }
    void draw() override {
        if (!isHidden() && getParent()) V::draw();
        setChanged(false);
    }
    void disable() override {
        IMControl::disable();
        setChanged(true);
    }
    void enable() override {
        IMControl::enable();
        setChanged(true);
    }
    void hide() override {
        IMControl::hide();
        setChanged(true);
    }
    void show() override {
        IMControl::show();
        setChanged(true);
    }

protected:
    bool drawsBeyondRect() const override {
        if constexpr (requires(const V& view) { view.angle; })
            return this->angle != 0.0f;
        return false;
    }
};
