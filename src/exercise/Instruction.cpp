#include "exercise/Instruction.h"

#include <boost/bind/bind.hpp>
#include <cmath>

#include "events/WindowTimers.h"
#include "platform/Cursor.h"
#include "resources/EmbeddedAssets.h"
#include "screens/ScreenParts.h"
#include "window/IMResourceManager.h"
#include "window/IMWindow.h"

using boost::placeholders::_1;
using boost::placeholders::_2;

namespace {

constexpr long kGeneralClip = 115;
const wchar_t* const kGeneralSpeech = L"116";
constexpr long kSlowedClip = 117;
const wchar_t* const kSlowedSpeech = L"118";
const wchar_t* const kNarration = L"119";
const wchar_t* const kDemoBackground = L"103";
const wchar_t* const kClosingPhrase = L"ENDHELPSOUND";

// The key hints: keyboard, mouse and space bar.
struct KeyHint {
    const wchar_t* picture;
    POINT at;
};
constexpr KeyHint kKeyboard{L"KEYBOARDPIC", {107, 347}};
constexpr KeyHint kMouse{L"MOUSE", {500, 209}};
constexpr KeyHint kSpaceBar{L"KEYSPACE", {237, 502}};
constexpr int kKeyHintLayer = 1000;

// The demonstration's two pairs (non-interactive), and the glide of its cursor and mouse.
struct DemoPair {
    int x1, y1, x2, y2, size;
};
constexpr DemoPair kFirstPair{150, 300, 650, 300, 100};
constexpr DemoPair kSecondPair{300, 300, 650, 150, 100};
constexpr FLOATPOINT kGlideFrom{150.0f, 300.0f};
constexpr POINT kGlideTo{645, 300};

std::unique_ptr<MouseMove> makeDemoPair(IMContainer* dialog, const DemoPair& p) {
    return std::make_unique<MouseMove>(p.x1, p.y1, dialog, p.x2, p.y2, p.size, false);
}

} // namespace

Instruction::Instruction(IMContainer* dialog, Kind kind)
    : IMDialogBase<IMEmptyView>(dialog, std::nullopt, 0), dialog_(dialog), kind_(kind) {
    // First among the dialog's closing handlers: the instruction stops (its sounds, its clip's
    // memory) before whatever comes next, often the exercise screen, is built.
    dialogClosed_ = dialog_->closed.connect(boost::signals2::at_front,
                                            boost::bind(&Instruction::onDialogClosed, this, _1));
    if (kind_ == Kind::General)
        buildGeneral();
    else
        buildSlowedStage();
}

Instruction::~Instruction() {
    stopEverything();
    // The pairs' pictures are still here; the pairs let go of them first.
    demoPair_.reset();
    finishedPairs_.clear();
}

std::uint32_t Instruction::playNumbered(const wchar_t* name) {
    IMResourceManager* sounds = resourceManager();
    if (!sounds) return 0;
    const std::uint32_t id = sounds->loadSound(name);
    if (id != 0) sounds->playSound(id, false);
    return id;
}

void Instruction::openClip(Clip* clip, long number) {
    clipBytes_ = resources::loadNumberedResource(number);
    const auto bytes = clipBytes_ ? clipBytes_->bytes() : std::span<const std::uint8_t>{};
    // A missing or damaged clip leaves the view as a clip that has ended: its `finished` still
    // comes, on the first update pass, and the instruction goes on without pictures.
    clip->openClip(bytes.data(), static_cast<int>(bytes.size()));
    clip->framePeriod = clipFramePeriod;
    clip->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    clip->start();
}

void Instruction::buildGeneral() {
    clipScreen_ = createDialog(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    speech_ = playNumbered(kGeneralSpeech);
    clip_ = new Clip(clipScreen_, 0);
    clip_->finished.connect(boost::bind(&Instruction::showKeyHints, this, _1));
    clipScreen_->closed.connect(boost::bind(&Instruction::startDemonstration, this, _1));
    openClip(clip_, kGeneralClip);
}

void Instruction::buildSlowedStage() {
    clip_ = new Clip(this, 0);
    speech_ = playNumbered(kSlowedSpeech);
    // The slowed stage's instruction closes itself when its clip ends.
    clip_->finished.connect(boost::bind(&Instruction::closeDialog, this, _1));
    openClip(clip_, kSlowedClip);
}

long Instruction::closeDialog(const IMEvent&) {
    if (phase_ != Phase::Closed) dialog_->close();
    return 0;
}

Instruction::Picture* Instruction::createKeyHints(IMContainer* where, bool mouseAndSpaceHidden) {
    const screens::EmbeddedPictures pictures{kKeyboard.picture, kMouse.picture, kSpaceBar.picture};
    auto* parent = static_cast<IMDialogBase<IMEmptyView>*>(where);
    parent->createPicture(kKeyboard.at.x, kKeyboard.at.y, kKeyboard.picture, kKeyHintLayer, 0xFFFFFFFF);
    Picture* mouse = parent->createPicture(kMouse.at.x, kMouse.at.y, kMouse.picture, kKeyHintLayer, 0xFFFFFFFF);
    Picture* space = parent->createPicture(kSpaceBar.at.x, kSpaceBar.at.y, kSpaceBar.picture, kKeyHintLayer, 0xFFFFFFFF);
    if (mouseAndSpaceHidden) {
        mouse->hide();
        space->hide();
    }
    return space;
}

long Instruction::showKeyHints(const IMEvent&) {
    if (phase_ != Phase::Clip || !clipScreen_) return 0;
    phase_ = Phase::KeyHints;
    spaceBar_ = createKeyHints(clipScreen_, true);
    // The space bar appears a second after the clip ends and then blinks.
    IMContainer* screen = clipScreen_;
    Picture* space = spaceBar_;
    startTimer(blinkIntervalMs, [this, space, screen](int id) { return blinkStart(id, space, screen); });
    if (IMWindow* window = imWindow())
        keys_ = window->keyDown.connect(boost::bind(&Instruction::onKeyDown, this, _1));
    return 0;
}

long Instruction::onKeyDown(const IMKeyboardEvent& e) {
    if (e.wParam != spaceKey) return 0;
    if (phase_ == Phase::KeyHints && clipScreen_) {
        clipScreen_->close();
    } else if (phase_ == Phase::Closing) {
        dialog_->close();
    }
    return 0;
}

long Instruction::startDemonstration(const IMEvent&) {
    // Closing the clip's screen because the whole instruction closes is no reason to go on.
    if (phase_ != Phase::KeyHints) return 0;
    phase_ = Phase::Demonstration;
    keys_.disconnect();
    // The clip's timers (the blink) go with its screen.
    stopAllTimers();
    spaceBar_ = nullptr;
    clipScreen_ = nullptr;
    // The demonstration's background is decoded next; the clip's memory goes first.
    if (clip_) clip_->closeClip();
    clip_ = nullptr;
    cursorMouse_ = std::make_unique<CursorMouse>(this);
    cursorMouse_->mousePicture->hide();
    cursorMouse_->pointerPicture->hide();
    Picture* background = createPicture(0, 0, kDemoBackground, 0, 0xFFFFFFFF);
    background->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    IMResourceManager* sounds = resourceManager();
    // The spoken instruction runs a few seconds past its clip; it must not talk over the
    // narration when space comes early.
    if (sounds && speech_ != 0) sounds->stopSound(speech_);
    narration_ = sounds ? sounds->loadSound(kNarration) : 0;
    if (narration_ == 0) {
        // No sound card or no narration: the demonstration is still shown, on timers that keep
        // the narration's pace.
        for (std::uint32_t cue : demoCues)
            startTimer(static_cast<int>(cue), [this, cue](int id) {
                stopTimer(id);
                return demoCue(cue);
            });
        startTimer(silentNarrationMs, [this](int id) {
            stopTimer(id);
            return finishInstruction(true, true);
        });
        return 0;
    }
    for (std::uint32_t cue : demoCues)
        cueConnections_.emplace_back(sounds->addSoundLabel(
            narration_, cue, [this](std::uint32_t, std::uint32_t position) { return demoCue(position); }));
    narrationEnded_ = sounds->onSoundEnded(narration_, [this](std::uint32_t) { return finishInstruction(true, true); });
    sounds->playSound(narration_, false);
    return 0;
}

long Instruction::demoCue(std::uint32_t position) {
    if (phase_ != Phase::Demonstration) return 0;
    switch (position) {
    case demoCues[0]: demoPair_ = makeDemoPair(this, kFirstPair); break;
    case demoCues[1]:
        moveDemoMouse();
        if (!cursorMouse_->keepMouseHidden) cursorMouse_->mousePicture->show();
        cursorMouse_->pointerPicture->show();
        break;
    case demoCues[2]:
        if (demoPair_) demoPair_->succeed();
        break;
    case demoCues[3]:
        cursorMouse_->mousePicture->hide();
        cursorMouse_->pointerPicture->hide();
        if (demoPair_) {
            demoPair_->retire();
            finishedPairs_.push_back(std::move(demoPair_));
        }
        demoPair_ = makeDemoPair(this, kSecondPair);
        break;
    default: break;
    }
    return 0;
}

void Instruction::moveDemoMouse() {
    CursorMouse& m = *cursorMouse_;
    glidePicture(kGlideFrom, kGlideTo.x, kGlideTo.y, m.pointerPicture);
    glidePicture(FLOATPOINT{static_cast<float>(m.x) + kGlideFrom.x, static_cast<float>(m.y) + kGlideFrom.y},
                 m.x + kGlideTo.x, m.y + kGlideTo.y, m.mousePicture);
}

void Instruction::glidePicture(FLOATPOINT from, int toX, int toY, Picture* picture) {
    const FLOATPOINT step{(static_cast<float>(toX) - from.x) / glideSteps,
                          (static_cast<float>(toY) - from.y) / glideSteps};
    const FLOATPOINT first{from.x + step.x, from.y + step.y};
    startTimer(glideIntervalMs, [this, first, step, picture](int id) {
        return glideStep(first, step, glideSteps, id, picture);
    });
}

long Instruction::glideStep(FLOATPOINT position, FLOATPOINT step, int stepsLeft, int timerId, Picture* picture) {
    const int x = static_cast<int>(std::trunc(position.x));
    const int y = static_cast<int>(std::trunc(position.y));
    if (picture) {
        picture->moveTo(x, y);
    } else if (IMWindow* window = imWindow()) {
        window->setCursorPos(x, y);
    }
    stopTimer(timerId);
    if (stepsLeft > 0) {
        const FLOATPOINT next{position.x + step.x, position.y + step.y};
        startTimer(glideIntervalMs, [this, next, step, stepsLeft, picture](int id) {
            return glideStep(next, step, stepsLeft - 1, id, picture);
        });
    }
    return 0;
}

long Instruction::finishInstruction(bool withSound, bool waitForSpace) {
    if (phase_ == Phase::Closing || phase_ == Phase::Closed) return 0;
    phase_ = Phase::Closing;
    narrationEnded_.disconnect();
    IMResourceManager* sounds = resourceManager();
    if (withSound && sounds) {
        if (const resources::EmbeddedAsset* asset = resources::findEmbeddedAsset(kClosingPhrase)) {
            closingPhrase_ = sounds->loadSound(kClosingPhrase, asset->bytes.data(), asset->bytes.size());
            if (closingPhrase_ != 0) sounds->playSound(closingPhrase_, false);
        }
        if (!waitForSpace) {
            // As if space were pressed when the phrase ends; without the phrase, at once.
            if (closingPhrase_ == 0) return closeDialog(IMEvent(this, IM_MSG_CLOSE));
            narrationEnded_ = sounds->onSoundEnded(closingPhrase_, [this](std::uint32_t) {
                return closeDialog(IMEvent(this, IM_MSG_CLOSE));
            });
            return 0;
        }
    }
    if (waitForSpace) {
        // The space bar is shown at first and blinks from 500 ms on.
        spaceBar_ = createKeyHints(this, false);
        Picture* space = spaceBar_;
        startTimer(blinkIntervalMs, [this, space](int id) { return blink(id, space, this); });
        if (IMWindow* window = imWindow())
            keys_ = window->keyDown.connect(boost::bind(&Instruction::onKeyDown, this, _1));
        return 0;
    }
    if (!withSound) closeDialog(IMEvent(this, IM_MSG_CLOSE));
    return 0;
}

long Instruction::blinkStart(int timerId, Picture* picture, IMContainer* dialog) {
    stopTimer(timerId);
    if (dialog->isLocked()) return 0;
    startTimer(blinkIntervalMs, [this, picture, dialog](int id) { return blink(id, picture, dialog); });
    return 0;
}

long Instruction::blink(int timerId, Picture* picture, IMContainer* dialog) {
    stopTimer(timerId);
    if (dialog->isLocked()) return 0;
    if (picture->isHidden())
        picture->show();
    else
        picture->hide();
    startTimer(blinkIntervalMs, [this, picture, dialog](int id) { return blink(id, picture, dialog); });
    return 0;
}

int Instruction::startTimer(int ms, const boost::function<long(int)>& slot) {
    WindowTimers* w = windowTimers();
    if (!w) return 0;
    const int id = w->createTimer(static_cast<std::uint32_t>(ms));
    w->connectTimer(id, [slot, id](const IMEvent&) { return slot(id); });
    timers_.insert(id);
    return id;
}

void Instruction::stopTimer(int id) {
    if (WindowTimers* w = windowTimers()) w->killTimer(id);
    timers_.erase(id);
}

void Instruction::stopAllTimers() {
    if (WindowTimers* w = windowTimers())
        for (int id : timers_) w->killTimer(id);
    timers_.clear();
}

long Instruction::onDialogClosed(const IMEvent&) {
    stopEverything();
    return 0;
}

void Instruction::stopEverything() {
    if (phase_ == Phase::Closed) return;
    phase_ = Phase::Closed;
    keys_.disconnect();
    narrationEnded_.disconnect();
    // A cue whose notice is already on its way must not reach this instruction; nor may a later
    // instruction's narration call this one's cues.
    cueConnections_.clear();
    stopAllTimers();
    if (demoPair_) demoPair_->retire();
    for (auto& pair : finishedPairs_) pair->retire();
    if (IMResourceManager* sounds = resourceManager()) {
        // Stopping the narration also drops its cues that have not come yet.
        for (std::uint32_t id : {speech_, narration_, closingPhrase_})
            if (id != 0) sounds->stopSound(id);
    }
    if (clip_ && kind_ == Kind::SlowedStage) clip_->finished.disconnect_all_slots();
    // The screen that follows is built before this one goes at the next update pass: the clip's
    // decoder and frame textures (8.6 MB for 800 x 600) are not kept beside it.
    if (clip_) clip_->closeClip();
}
