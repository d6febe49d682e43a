#include "exercise/MouseMove.h"

#include <boost/bind/bind.hpp>

#include "exercise/ExerciseSounds.h"
#include "platform/Cursor.h"
#include "events/WindowTimers.h"

namespace {

constexpr int circleSize = 20;
constexpr int circleHalf = circleSize / 2;
// A threshold above any texel alpha: the centre mark is never hit and never takes the hover from
// the target beneath it.
constexpr int neverHit = 256;
const wchar_t* const discImage = L"101";
const wchar_t* const successSound = L"120";

} // namespace

MouseMove::MouseMove(int x1, int y1, IMContainer* dialog, int x2, int y2, int size,
                     bool interactive) {
    using boost::placeholders::_1;
    POINT origin{0, 0};
    platform::clientToScreen(origin);
    platform::setCursorPos(x1 + origin.x, y1 + origin.y);

    startCircle = makeCircle(dialog, x1 - circleHalf, y1 - circleHalf, circleSize, 0, startRgb, 0);
    guardConnection = dialog->closed.connect(boost::bind(&MouseMove::abort, this, _1));
    if (interactive) {
        startLeft_ = startCircle->mouseLeft.connect(boost::bind(&MouseMove::onStartLeft, this, _1));
        // The cursor was put on the start circle above, but the circle only joins the screen at
        // the next update pass: a report that already lies beyond it (a quick hand, or the first
        // stroke of the slowed stage) would never give the circle the hover to lose. The
        // placement counts as being on the circle, and any report outside it as leaving.
        startSquare_ = RECT{x1 - circleHalf, y1 - circleHalf, x1 + circleHalf, y1 + circleHalf};
        pointerMoved_ =
            dialog->mouseMoved.connect(boost::bind(&MouseMove::onPointerMoved, this, dialog, _1));
    }

    const int half = size / 2;
    targetCircle = makeCircle(dialog, x2 - half, y2 - half, size, 0, targetRgb, 0);
    if (interactive) {
        targetEntered_ =
            targetCircle->mouseEntered.connect(boost::bind(&MouseMove::onTargetEntered, this, _1));
        targetLeft_ =
            targetCircle->mouseLeft.connect(boost::bind(&MouseMove::onTargetLeft, this, _1));
    }

    centreMark =
        makeCircle(dialog, x2 - circleHalf, y2 - circleHalf, circleSize, 1, centreRgb, neverHit);
    startFade(false);
}

MouseMove::~MouseMove() {
    retire();
    completed.disconnect_all_slots();
}

void MouseMove::retire() {
    aborted = true;
    guardConnection.disconnect();
    startLeft_.disconnect();
    pointerMoved_.disconnect();
    targetEntered_.disconnect();
    targetLeft_.disconnect();
    // Timers carry slots bound to this task; none may outlive it.
    if (WindowTimers* window = windowTimers()) {
        for (int& id : fadeTimers_) window->killTimer(id);
        window->killTimer(dwellTimer);
    }
    fadeTimers_ = {};
    dwellTimer = 0;
}

MouseMove::Picture* MouseMove::makeCircle(IMContainer* dialog, int left, int top, int size,
                                          int layer, std::uint32_t rgb, int alphaThreshold) {
    Picture* picture = dialog->createPicture(left, top, discImage, layer);
    picture->setRect(RECT{left, top, left + size, top + size});
    picture->color = rgb;
    picture->setChanged(true);
    picture->alphaThreshold = alphaThreshold;
    return picture;
}

void MouseMove::startFade(bool fadeOut) {
    WindowTimers* window = windowTimers();
    if (!window) return;
    using boost::placeholders::_1;
    int& id = fadeTimers_[fadeOut ? 1 : 0];
    id = window->createTimer(fadeIntervalMs);
    window->connectTimer(id, boost::bind(&MouseMove::fadeStep, this, fadeSteps, 0, fadeIntervalMs,
                                         fadeAlphaStep, id, fadeOut, _1));
}

void MouseMove::setAlpha(int alpha) {
    const std::uint32_t a = static_cast<std::uint32_t>(alpha) & 0xFFu;
    const std::pair<Picture*, std::uint32_t> tints[] = {
        {startCircle, startRgb}, {targetCircle, targetRgb}, {centreMark, centreRgb}};
    for (const auto& [picture, rgb] : tints) {
        picture->color = (a << 24) | rgb;
        picture->setChanged(true);
    }
}

long MouseMove::fadeStep(int total, int done, int intervalMs, int alphaStep, int timerId,
                         bool fadeOut, const IMEvent&) {
    WindowTimers* window = windowTimers();
    if (window) window->killTimer(timerId);
    int& pending = fadeTimers_[fadeOut ? 1 : 0];
    if (pending == timerId) pending = 0;
    if (aborted) return 0;
    const int step = done + 1;
    setAlpha(fadeOut ? 250 - step * alphaStep : step * alphaStep);
    if (step < total) {
        if (!window) return 0;
        using boost::placeholders::_1;
        pending = window->createTimer(static_cast<std::uint32_t>(intervalMs));
        window->connectTimer(pending, boost::bind(&MouseMove::fadeStep, this, total, step,
                                                  intervalMs, alphaStep, pending, fadeOut, _1));
        return 0;
    }
    if (fadeOut) {
        startCircle->close();
        targetCircle->close();
        centreMark->close();
        // The last thing this task does: a slot may retire it.
        if (!completed.empty()) completed(true);
    }
    return 0;
}

long MouseMove::abort(const IMEvent&) {
    aborted = true;
    return 0;
}

long MouseMove::onStartLeft(const IMMouseEvent& e) {
    arm(e);
    return 0;
}

long MouseMove::onPointerMoved(IMContainer* dialog, const IMMouseEvent& e) {
    const RECT frame = dialog->getRect();
    if (!started && !ptInRect(startSquare_, e.x - frame.left, e.y - frame.top)) arm(e);
    return 0;
}

void MouseMove::arm(const IMMouseEvent& e) {
    if (started) return;
    started = true;
    // Already on the target (circles that overlap, or a report that entered the target before the
    // start circle lost the hover): the wait begins now rather than at a re-entry that a pupil
    // resting there would never make.
    if (targetCircle && targetCircle->isHovered()) onTargetEntered(e);
}

long MouseMove::onTargetEntered(const IMMouseEvent& e) {
    // The target taking the hover at a point outside the start square means the cursor has left
    // the start circle, even when the circles appeared after the reports that took it there.
    if (!started && !ptInRect(startSquare_, e.x, e.y)) started = true;
    if (!started) return 0;
    WindowTimers* window = windowTimers();
    if (!window) return 0;
    using boost::placeholders::_1;
    // A wait already running (none under ordinary hover) would otherwise be left behind.
    window->killTimer(dwellTimer);
    dwellTimer = window->createTimer(static_cast<std::uint32_t>(dwellMs));
    window->connectTimer(dwellTimer, boost::bind(&MouseMove::onDwellElapsed, this, _1));
    return 0;
}

long MouseMove::onTargetLeft(const IMMouseEvent&) {
    if (WindowTimers* window = windowTimers()) window->killTimer(dwellTimer);
    return 0;
}

long MouseMove::onDwellElapsed(const IMEvent&) {
    if (WindowTimers* window = windowTimers()) window->killTimer(dwellTimer);
    return succeed();
}

long MouseMove::succeed() {
    succeeded_ = true;
    exercise::playSoundOnce(successSound);
    startFade(true);
    return 0;
}
