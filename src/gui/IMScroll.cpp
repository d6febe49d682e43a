#include "gui/IMScroll.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <cmath>

#include "events/WindowTimers.h"

namespace {

const wchar_t kBackground[] = L"ScrollBackground";
const wchar_t kUp[] = L"ScrollButtonUp";
const wchar_t kDown[] = L"ScrollButtonDown";
const wchar_t kSlider[] = L"ScrollSlider";

RECT defaultRect(IMContainer* parent) {
    const RECT p = parent ? parent->getRect() : RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    const int w = p.right - p.left;
    const int h = p.bottom - p.top;
    return RECT{w - IMScroll::kDefaultWidth, 0, w, h};
}

} // namespace

IMScroll::IMScroll(IMContainer* parent, const RECT* r)
    : IMDialogBase<IMEmptyView>(parent, r ? std::optional<RECT>(*r) : std::nullopt, 0) {
    using boost::placeholders::_1;
    backgroundPicture_ = createPicture(0, 0, kBackground, 0);
    upButton_ = createButton(0, 0, kUp, kUp, kUp, kUp, 0);
    downButton_ = createButton(0, 0, kDown, kDown, kDown, kDown, 0);
    trackUp_ = createButton(0, 0, kBackground, kBackground, kBackground, kBackground, 0);
    trackDown_ = createButton(0, 0, kBackground, kBackground, kBackground, kBackground, 0);
    slider_ = createButton(0, 0, kSlider, kSlider, kSlider, kSlider, 0);

    for (Button* part : {downButton_, upButton_, trackUp_, trackDown_}) {
        part->mouseButton.connect(boost::bind(&IMScroll::onPartMouse, this, _1));
        part->mouseLeft.connect(boost::bind(&IMScroll::onPartMouse, this, _1));
    }
    slider_->mouseButton.connect(boost::bind(&IMScroll::onSliderMouse, this, _1));
    // A drag goes on wherever the mouse is: the root of the tree sees every report.
    if (IMContainer* root = rootContainer(this); root != this) {
        root->mouseLeft.connect(boost::bind(&IMScroll::onSliderMouse, this, _1));
        root->mouseButton.connect(boost::bind(&IMScroll::onSliderMouse, this, _1));
    }
    setRect(r ? *r : defaultRect(parent));
}

IMScroll::~IMScroll() {
    activeConnection_.disconnect();
    if (WindowTimers* window = windowTimers(); window && repeatTimer_ != 0) window->killTimer(repeatTimer_);
}

void IMScroll::setRect(const RECT& r) {
    IMDialogBase<IMEmptyView>::setRect(r);
    layout();
}

void IMScroll::layout() {
    if (!slider_) return; // still being built
    const int w = getWidth();
    const int h = getHeight();
    // A bar no taller than two arrows has no track; an empty range has nothing to scroll.
    const int track = std::max(h - 2 * w, 0);
    const int range = maxValue - minValue;
    auto share = [&](int value) {
        return range > 0 ? static_cast<int>(static_cast<long long>(track) * value / range) : 0;
    };
    const int offset = position_ - minValue;
    const int sliderHeight = range > 0 ? share(pageSize) : track;

    upButton_->setRect(RECT{0, 0, w, w});
    trackUp_->setRect(RECT{0, w, w, w + share(offset) + w});
    downButton_->setRect(RECT{0, h - w, w, h});
    const int belowTop = w + share(offset + pageSize);
    trackDown_->setRect(RECT{0, belowTop, w, belowTop + track - share(offset + pageSize)});
    backgroundPicture_->setRect(RECT{0, 0, w, h});
    if (!activeConnection_.connected()) slider_->moveTo(0, w + share(offset));
    slider_->setSize(w, sliderHeight);
}

void IMScroll::setPosition(int p) {
    const int clamped = std::min(maxValue - pageSize, std::max(p, minValue));
    if (clamped == position_) return;
    position_ = clamped;
    scrolled(IMEvent(this, IM_MSG_STATE), clamped);
    layout();
}

int IMScroll::stepOf(const IMControl* part) const {
    if (part == upButton_) return -(pageSize / 10);
    if (part == downButton_) return pageSize / 10;
    if (part == trackUp_) return -pageSize;
    if (part == trackDown_) return pageSize;
    return 0;
}

void IMScroll::startRepeat(IMControl* part, std::uint32_t intervalMs) {
    WindowTimers* window = windowTimers();
    if (!window) return;
    repeatTimer_ = window->createTimer(intervalMs);
    using boost::placeholders::_1;
    activeConnection_ =
        window->connectTimer(repeatTimer_, boost::bind(&IMScroll::onRepeat, this, part, _1));
}

void IMScroll::stopRepeat() {
    // Each repeat timer is killed as soon as it is done with, so none is left behind.
    if (WindowTimers* window = windowTimers(); window && repeatTimer_ != 0) window->killTimer(repeatTimer_);
    repeatTimer_ = 0;
}

long IMScroll::onPartMouse(const IMMouseEvent& e) {
    if (e.message == WM_LBUTTONDOWN) {
        stopRepeat();
        activeConnection_.disconnect();
        setPosition(position_ + stepOf(e.source));
        startRepeat(e.source, kFirstRepeatMs);
    } else if (e.message == WM_LBUTTONUP || e.message == WM_MOUSELEAVE) {
        if (repeatTimer_ != 0) {
            stopRepeat();
            activeConnection_.disconnect();
        }
    }
    return 0;
}

long IMScroll::onRepeat(IMControl* part, const IMEvent&) {
    activeConnection_.disconnect();
    stopRepeat();
    setPosition(position_ + stepOf(part));
    startRepeat(part, kRepeatMs);
    return 0;
}

long IMScroll::onSliderMouse(const IMMouseEvent& e) {
    IMContainer* window = rootContainer(this);
    if (e.source == slider_ && e.message == WM_LBUTTONDOWN && window != this) {
        dragLastX_ = window->lastMouseX();
        dragLastY_ = window->lastMouseY();
        stopRepeat();
        activeConnection_.disconnect();
        using boost::placeholders::_1;
        activeConnection_ =
            window->mouseMoved.connect(boost::bind(&IMScroll::onSliderMouse, this, _1));
        return 0;
    }
    if ((e.message == WM_LBUTTONUP || e.message == WM_MOUSELEAVE) && activeConnection_.connected()) {
        activeConnection_.disconnect();
        stopRepeat();
        return 0;
    }
    if (e.message == WM_MOUSEMOVE && activeConnection_.connected()) {
        const int w = getWidth();
        const int h = getHeight();
        const int track = h - 2 * w;
        const RECT s = slider_->getRect();
        const int sliderHeight = s.bottom - s.top;
        // The lower limit gives way when the two cross.
        const int y = std::min(std::max(s.top + (e.y - dragLastY_), w), h - w - sliderHeight);
        if (track > 0) {
            const double exact = static_cast<double>(maxValue - minValue) * (y - w) / track;
            const int p = minValue + static_cast<int>(std::floor(exact + 0.5));
            if (p != position_) setPosition(p);
        }
        slider_->moveTo(0, y);
        dragLastX_ = e.x;
        dragLastY_ = e.y;
        layout();
    }
    return 0;
}
