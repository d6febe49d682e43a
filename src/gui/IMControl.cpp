#include "gui/IMControl.h"

#include "gui/IMDialogBase.h"
#include "resources/TextureRegistry.h"

IMControl::IMControl(IMContainer* parent, int layer) : parent_(parent) {
    if (parent_) parent_->addChild(this, layer);
}

IMControl::~IMControl() = default;

void IMControl::setFocus(bool on) {
    if (!focusable_ || on == focused_) return;
    if (on)
        onFocusGained(IMEvent(this, IM_MSG_FOCUS_GAINED));
    else
        onFocusLost(IMEvent(this, IM_MSG_FOCUS_LOST));
}

void IMControl::disable() {
    disabled(IMEvent(this, IM_MSG_STATE));
    enabled_ = false;
}

void IMControl::enable() {
    enabled(IMEvent(this, IM_MSG_STATE));
    enabled_ = true;
}

void IMControl::hide() {
    hidden(IMEvent(this, IM_MSG_STATE));
    hidden_ = true;
}

void IMControl::show() {
    shown(IMEvent(this, IM_MSG_STATE));
    hidden_ = false;
}

void IMControl::close() {
    const IMEvent e(this, IM_MSG_CLOSE);
    closed(e);
    onClose(e);
}

void IMControl::setChanged(bool isNowChanged) {
    if (!isNowChanged) return;
    changed(IMEvent(this, IM_MSG_STATE));
    if (parent_) {
        // A control that shows, moves or hides under a resting mouse gains or loses hover at once.
        parent_->updateHover(
            IMMouseEvent(this, WM_MOUSEMOVE, 0, parent_->lastMouseX(), parent_->lastMouseY()));
    }
}

long IMControl::onMouseMove(const IMMouseEvent& e) { return mouseMoved(e); }

long IMControl::onMouseButton(const IMMouseEvent& e) {
    if (pressed_) {
        std::uint32_t click = 0;
        if (e.message == WM_LBUTTONUP) click = IM_MSG_LEFT_CLICK;
        if (e.message == WM_RBUTTONUP) click = IM_MSG_RIGHT_CLICK;
        if (e.message == WM_MBUTTONUP) click = IM_MSG_MIDDLE_CLICK;
        if (click != 0) clicked(IMMouseEvent(this, click, e.wParam, e.x, e.y));
    }
    if (e.message == WM_MOUSEWHEEL) {
        const WPARAM low = e.wParam & 0xFFFF;
        pressed_ = low == MK_LBUTTON || low == MK_RBUTTON || low == MK_MBUTTON;
    } else {
        pressed_ = (e.wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    }
    mouseButton(IMMouseEvent(this, e.message, e.wParam, e.x, e.y));
    if (e.message == WM_LBUTTONDBLCLK) doubleClicked(IMMouseEvent(this, e.message, e.wParam, e.x, e.y));
    return 0;
}

long IMControl::performClick(const IMMouseEvent& e) {
    return clicked(IMMouseEvent(this, e.message, e.wParam, e.x, e.y));
}

long IMControl::onMouseEnter(const IMMouseEvent& e) {
    hovered_ = true;
    return mouseEntered(IMMouseEvent(this, IM_MSG_MOUSE_ENTER, e.wParam, e.x, e.y));
}

long IMControl::onMouseLeave(const IMMouseEvent& e) {
    hovered_ = false;
    return mouseLeft(IMMouseEvent(this, WM_MOUSELEAVE, e.wParam, e.x, e.y));
}

long IMControl::onKey(const IMKeyboardEvent& e) {
    const IMKeyboardEvent own(this, e.message, e.wParam, e.lParam);
    if (e.message == WM_KEYDOWN || e.message == WM_SYSKEYDOWN) keyDown(own);
    if (e.message == WM_KEYUP || e.message == WM_SYSKEYUP) keyUp(own);
    keyMessage(own);
    return 0;
}

long IMControl::onPaint(const IMEvent&) {
    const TextureRegistry* device = textureRegistry();
    paintedArea_ = isHidden() || !device ? RECT{}
                                         : offsetRect(getRect(), device->originX, device->originY);
    draw();
    setChanged(false);
    return painted(IMEvent(this, IM_MSG_PAINT));
}

bool IMControl::addChangedArea(RECT& area, int originX, int originY) const {
    if (!isChanged()) return true;
    area = unionRect(area, paintedArea_);
    if (!isHidden()) area = unionRect(area, offsetRect(getRect(), originX, originY));
    return !drawsBeyondRect();
}

long IMControl::onUpdate(const IMEvent&) {
    tick();
    // Runs for every control on every loop turn: skip building an emission nobody listens to.
    return updated.empty() ? 0 : updated(IMEvent(this, IM_MSG_CLOSE));
}

long IMControl::onClose(const IMEvent&) { return detach(); }

long IMControl::onFocusGained(const IMEvent&) {
    if (!focusable_) return 0;
    focused_ = true;
    return focusGained(IMEvent(this, IM_MSG_FOCUS_GAINED));
}

long IMControl::onFocusLost(const IMEvent&) {
    if (!focusable_) return 0;
    focused_ = false;
    return focusLost(IMEvent(this, IM_MSG_FOCUS_LOST));
}

void IMControl::disconnectSignals() {
    for (EventSignal* s : {&painted, &closed, &updated, &disabled, &enabled, &hidden, &shown, &changed})
        s->disconnect_all_slots();
    for (MouseSignal* s : {&mouseMoved, &mouseButton, &clicked, &mouseEntered, &mouseLeft, &doubleClicked})
        s->disconnect_all_slots();
    for (KeySignal* s : {&keyMessage, &keyDown, &keyUp}) s->disconnect_all_slots();
}

long IMControl::detach() {
    disconnectSignals();
    if (parent_) parent_->removeChild(this);
    return 0;
}
