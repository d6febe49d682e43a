#pragma once
// The spoken, animated instruction, built inside the dialog its caller made and gone with it.
//
// The general instruction: clip 115 with speech 116; when the clip ends the key hints with the
// space bar blinking; space starts the demonstration: background 103 and narration 119, whose
// cues bring a pair of circles, the drawn cursor and mouse gliding onto the target, the success
// and a second pair; when the narration ends, the closing phrase, the key hints again, and space
// closes the instruction. The slowed stage's instruction is clip 117 with speech 118 and closes
// itself when the clip ends.
//
// Everything it starts (sounds, cue labels, timers, key handling) stops when its dialog closes,
// whichever way it closes. The demonstration's pairs are its own: the pupil's task, if one is
// running, is never touched.

#include <array>
#include <cstdint>
#include <memory>
#include <set>

#include "events/Signal.h"
#include "exercise/MouseMove.h"
#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "media/IMAnimationBase.h"
#include "media/IMTheoraView.h"
#include "resources/NumberedResources.h"
#include "exercise/CursorMouse.h"

struct FLOATPOINT {
    float x = 0;
    float y = 0;
};

class Instruction : public IMDialogBase<IMEmptyView> {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;
    using Clip = IMAnimationBase<IMTheoraView>;
    enum class Kind { General, SlowedStage };
    enum class Phase { Clip, KeyHints, Demonstration, Closing, Closed };

    // Milliseconds after the narration starts at which the demonstration moves on.
    static constexpr std::array<std::uint32_t, 4> demoCues{5590, 9290, 18580, 23580};
    // How long the narration lasts: without it the demonstration keeps this pace.
    static constexpr int silentNarrationMs = 31000;
    static constexpr int blinkIntervalMs = 500;
    static constexpr int glideSteps = 50;
    static constexpr int glideIntervalMs = 60;
    // 25 frames per second, in the clip clock's 1/60 ms.
    static constexpr std::int32_t clipFramePeriod = 2400;
    static constexpr std::uint32_t spaceKey = 32;

    // Builds the instruction into `dialog`, which owns it.
    Instruction(IMContainer* dialog, Kind kind);
    ~Instruction() override;

    Phase phase() const { return phase_; }
    Clip* clip() const { return clip_; }
    // The blinking space-bar picture of the current key hints (null before the clip ends).
    Picture* spaceBar() const { return spaceBar_; }
    MouseMove* demoPair() const { return demoPair_.get(); }
    CursorMouse* cursorMouse() const { return cursorMouse_.get(); }
    std::uint32_t speech() const { return speech_; }
    std::uint32_t narration() const { return narration_; }

    // The narration has ended (or, with both flags false, the instruction ends at once).
    long finishInstruction(bool withSound, bool waitForSpace);
    // The glide of a picture (or, without one, of the system cursor) from `from` to one step
    // beyond (toX, toY): 51 moves, glideIntervalMs apart.
    void glidePicture(FLOATPOINT from, int toX, int toY, Picture* picture);

private:
    void buildGeneral();
    void buildSlowedStage();
    void openClip(Clip* clip, long number);
    long showKeyHints(const IMEvent&);
    Picture* createKeyHints(IMContainer* where, bool mouseAndSpaceHidden);
    long startDemonstration(const IMEvent&);
    long demoCue(std::uint32_t position);
    void moveDemoMouse();
    long onKeyDown(const IMKeyboardEvent& e);
    long onDialogClosed(const IMEvent&);
    long closeDialog(const IMEvent&);

    long blinkStart(int timerId, Picture* picture, IMContainer* dialog);
    long blink(int timerId, Picture* picture, IMContainer* dialog);
    long glideStep(FLOATPOINT position, FLOATPOINT step, int stepsLeft, int timerId, Picture* picture);

    // Window timers made here, so that none outlives the instruction.
    int startTimer(int ms, const boost::function<long(int)>& slot);
    void stopTimer(int id);
    void stopAllTimers();
    void stopEverything();
    std::uint32_t playNumbered(const wchar_t* name);

    IMContainer* dialog_;
    Kind kind_;
    Phase phase_ = Phase::Clip;
    IMDialogBase<IMEmptyView>* clipScreen_ = nullptr;
    Clip* clip_ = nullptr;
    std::optional<resources::ResourceBytes> clipBytes_;
    Picture* spaceBar_ = nullptr;
    std::unique_ptr<CursorMouse> cursorMouse_;
    std::unique_ptr<MouseMove> demoPair_;
    std::vector<std::unique_ptr<MouseMove>> finishedPairs_;
    std::uint32_t speech_ = 0;
    std::uint32_t narration_ = 0;
    std::uint32_t closingPhrase_ = 0;
    std::set<int> timers_;
    IMScopedConnection narrationEnded_;
    std::vector<boost::signals2::scoped_connection> cueConnections_;
    IMScopedConnection keys_;
    IMScopedConnection dialogClosed_;
};
