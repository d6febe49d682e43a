#pragma once
// The abstract control: state flags, the nineteen signals and the virtual handlers through which
// containers route mouse, keyboard, paint, update, focus and close events.

#include "events/Signal.h"
#include "events/IMEvent.h"

class IMEmptyView;
template <typename V> class IMDialogBase;
using IMContainer = IMDialogBase<IMEmptyView>;

class IMControl : public IMTrackable {
public:
    using EventSignal = IMSignal<IMEvent>;
    using MouseSignal = IMSignal<IMMouseEvent>;
    using KeySignal = IMSignal<IMKeyboardEvent>;

    // Registers with `parent` (pending until its next update pass); null only for the window.
    IMControl(IMContainer* parent, int layer);
    virtual ~IMControl();
    IMControl(const IMControl&) = delete;
    IMControl& operator=(const IMControl&) = delete;

    virtual void initialize() {}
    virtual void setFocus(bool on);
    virtual void disable();
    virtual void enable();
    virtual void hide();
    virtual void show();
    virtual void close();
    virtual void setChanged(bool changed);
    virtual bool isChanged() const = 0;
    virtual bool isFocusable() const { return focusable_; }
    virtual void setFocusable(bool focusable) { focusable_ = focusable; }
    virtual bool isEnabled() const { return enabled_; }
    virtual bool isHidden() const { return hidden_; }
    virtual bool isHovered() const { return hovered_; }
    virtual bool isPressed() const { return pressed_; }
    virtual bool isLocked() const { return locked_; }
    virtual bool hasFocus() const { return focused_; }
    virtual bool hitTest(int x, int y) = 0;
    virtual long onMouseMove(const IMMouseEvent& e);
    virtual long onMouseButton(const IMMouseEvent& e);
    virtual long performClick(const IMMouseEvent& e);
    virtual long onMouseEnter(const IMMouseEvent& e);
    virtual long onMouseLeave(const IMMouseEvent& e);
    virtual long onKey(const IMKeyboardEvent& e);
    virtual long onPaint(const IMEvent& e);
    virtual long onUpdate(const IMEvent& e);
    virtual long onClose(const IMEvent& e);
    virtual long onFocusGained(const IMEvent& e);
    virtual long onFocusLost(const IMEvent& e);
    virtual void setRect(const RECT& r) = 0;
    virtual RECT getRect() const = 0;
    virtual long detach();
    virtual void draw() = 0;
    virtual long tick() { return 0; }
    // Adds to `area` the screen area a frame must redraw for this control's changes: where it
    // was last drawn and where it is now (its parent's top-left is at originX, originY). False
    // when that cannot be told and the whole screen must be drawn.
    virtual bool addChangedArea(RECT& area, int originX, int originY) const;

    IMContainer* getParent() const { return parent_; }

    EventSignal painted;
    EventSignal closed;
    EventSignal updated;
    EventSignal disabled;
    EventSignal enabled;
    EventSignal hidden;
    EventSignal shown;
    EventSignal changed;
    EventSignal focusGained;
    EventSignal focusLost;
    MouseSignal mouseMoved;
    MouseSignal mouseButton;
    MouseSignal clicked;
    MouseSignal mouseEntered;
    MouseSignal mouseLeft;
    MouseSignal doubleClicked;
    KeySignal keyMessage;
    KeySignal keyDown;
    KeySignal keyUp;

protected:
    // Signals that detach() clears: all but the focus pair, which the parent listens to.
    void disconnectSignals();

    IMContainer* parent_;
    bool hovered_ = false;
    bool pressed_ = false;
    bool enabled_ = true;
    bool hidden_ = false;
    bool focused_ = false;
    bool locked_ = false;
    bool focusable_ = false;
    // Where the control was last drawn, in screen coordinates; empty while hidden.
    RECT paintedArea_{};
    // A control whose drawing may leave its rectangle (a turned picture) says so.
    virtual bool drawsBeyondRect() const { return false; }
};
