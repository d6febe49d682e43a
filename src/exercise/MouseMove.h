#pragma once
// One pair of circles on the exercise screen and the rule for completing it: the cursor leaves the
// blue start circle, reaches the orange target and rests there for two seconds. The pair fades in
// over a second, plays the success signal, fades out over a second, removes its pictures and then
// reports completion.

#include <array>
#include <boost/signals2/signal.hpp>
#include <cstdint>

#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"

class MouseMove {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;
    using CompletedSignal = boost::signals2::signal<void(bool)>;

    // Colours of the three pictures without their alpha byte, which the fades drive.
    static constexpr std::uint32_t startRgb = 0x6666CC;
    static constexpr std::uint32_t targetRgb = 0xFFCC99;
    static constexpr std::uint32_t centreRgb = 0xFF9933;
    static constexpr int fadeSteps = 10;
    static constexpr int fadeIntervalMs = 100;
    static constexpr int fadeAlphaStep = 25;

    // Builds the pair in `dialog` and puts the system cursor on the first circle. A pair that is not
    // interactive ignores the cursor; its owner calls succeed() itself.
    MouseMove(int x1, int y1, IMContainer* dialog, int x2, int y2, int size, bool interactive);
    // Stops everything still pending. The pictures stay with their dialog.
    ~MouseMove();
    MouseMove(const MouseMove&) = delete;
    MouseMove& operator=(const MouseMove&) = delete;

    // The success step: the signal sound, the fade-out and, when it ends, completion.
    long succeed();
    // The success step has begun: the pair is done even before its fade-out has ended.
    bool hasSucceeded() const { return succeeded_; }
    // Silences the task for good: no fade step, dwell wait or hover reaches it any more and it never
    // reports completion. Safe to call from inside its own `completed` emission.
    void retire();

    long abort(const IMEvent& e);
    long onStartLeft(const IMMouseEvent& e);
    long onPointerMoved(IMContainer* dialog, const IMMouseEvent& e);
    long onTargetEntered(const IMMouseEvent& e);
    long onTargetLeft(const IMMouseEvent& e);
    long onDwellElapsed(const IMEvent& e);
    long fadeStep(int total, int done, int intervalMs, int alphaStep, int timerId, bool fadeOut,
                  const IMEvent& e);

    bool aborted = false;
    CompletedSignal completed;
    Picture* startCircle = nullptr;
    Picture* targetCircle = nullptr;
    Picture* centreMark = nullptr;
    bool started = false;
    int dwellMs = 2000;
    int dwellTimer = 0;
    IMConnection guardConnection;

private:
    Picture* makeCircle(IMContainer* dialog, int left, int top, int size, int layer,
                        std::uint32_t rgb, int alphaThreshold);
    void startFade(bool fadeOut);
    // The cursor has left the start circle.
    void arm(const IMMouseEvent& e);
    void setAlpha(int alpha);

    bool succeeded_ = false;
    // The pending fade-in and fade-out timers, so that a task going away can cancel them.
    std::array<int, 2> fadeTimers_{};
    IMScopedConnection startLeft_;
    IMScopedConnection pointerMoved_;
    // The start circle's square in the dialog's coordinates.
    RECT startSquare_{};
    IMScopedConnection targetEntered_;
    IMScopedConnection targetLeft_;
};
