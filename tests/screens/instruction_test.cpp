// The instruction on a real window with the timers on a test clock: what the pupil sees and hears
// at each step, its exact timings, and that everything it started goes with its dialog.

#include <gtest/gtest.h>

#include <optional>

#include <cstdlib>
#include <string>
#include <vector>

#include "ScreenTestSupport.h"
#include "platform/MessageQueue.h"
#include "media/CSoundStream.h"
#include "exercise/Instruction.h"
#include "media/IMTheoraView.h"
#include "resources/TextureRegistry.h"
#include "window/IMResourceManager.h"

namespace {

class InstructionTest : public ScreenFixture {
protected:
    Instruction* open(Instruction::Kind kind = Instruction::Kind::General) {
        dialog = new IMContainer(window, std::nullopt, 0);
        dialog->closed.connect([this](const IMEvent&) {
            ++closings;
            return 0L;
        });
        instruction = new Instruction(dialog, kind);
        settle();
        return instruction;
    }
    void endClip() {
        instruction->clip()->finished(IMEvent(instruction, IM_MSG_STATE));
        settle();
    }
    void space() { pressKey(Instruction::spaceKey); }
    // The clock moves by `ms`; every due timer fires on the way.
    void after(std::uint64_t ms) {
        for (std::uint64_t done = 0; done < ms; done += 10) {
            pumpMessages();
            advance(std::min<std::uint64_t>(10, ms - done), 10);
        }
    }
    // The sound system's notices (a sound has started: its cue timers are set) reach the window.
    void pumpMessages() {
        platform::NativeMessage message;
        while (platform::peekMessage(message)) window->handleMessage(message);
    }
    std::size_t liveTimers() { return windowTimerCount(); }
    std::size_t windowTimerCount() {
        std::size_t n = 0;
        for (int id = 1; id < 100000; ++id) n += window->hasTimer(id);
        return n;
    }

    IMContainer* dialog = nullptr;
    Instruction* instruction = nullptr;
    int closings = 0;
};

TEST_F(InstructionTest, SpaceDoesNothingUntilTheClipEndsThenTheSpaceBarBlinksFromTheSecondSecond) {
    open();
    ASSERT_NE(instruction->clip(), nullptr);
    space();
    EXPECT_EQ(instruction->phase(), Instruction::Phase::Clip) << "no space handler yet";
    EXPECT_EQ(instruction->spaceBar(), nullptr);

    endClip();
    ASSERT_EQ(instruction->phase(), Instruction::Phase::KeyHints);
    Instruction::Picture* bar = instruction->spaceBar();
    ASSERT_NE(bar, nullptr);
    // Hidden for the first second, then changing every 500 ms.
    const std::vector<std::pair<int, bool>> schedule{{990, true},   {1010, false}, {1490, false},
                                                     {1510, true},  {1990, true},  {2010, false},
                                                     {2490, false}, {2510, true}};
    int at = 0;
    for (const auto& [ms, hidden] : schedule) {
        after(static_cast<std::uint64_t>(ms - at));
        at = ms;
        EXPECT_EQ(bar->isHidden(), hidden) << ms << " ms after the clip";
    }
    space();
    EXPECT_EQ(instruction->phase(), Instruction::Phase::Demonstration);
    EXPECT_EQ(closings, 0) << "space at the key hints starts the demonstration";
}

TEST_F(InstructionTest, TheNarrationsCuesBringThePairsTheGlideAndTheSuccessAtTheirTimes) {
    open();
    const std::uint32_t speech = instruction->speech();
    ASSERT_NE(speech, 0u);
    endClip();
    EXPECT_TRUE(resourceManager()->stream(speech)->isPlaying()) << "the speech outlasts its clip";
    space();
    pumpMessages();
    ASSERT_EQ(instruction->phase(), Instruction::Phase::Demonstration);
    EXPECT_FALSE(resourceManager()->stream(speech)->isPlaying()) << "no speech over the narration";
    if (instruction->narration() == 0) GTEST_SKIP() << "no sound device: the narration cannot play";
    CursorMouse* mouse = instruction->cursorMouse();
    ASSERT_NE(mouse, nullptr);
    EXPECT_TRUE(mouse->mousePicture->isHidden());
    EXPECT_TRUE(mouse->pointerPicture->isHidden());

    // A cue's notice reaches the window on the pass after its timer: 20 ms of slack.
    int now = 0;
    auto until = [&](int ms) {
        after(static_cast<std::uint64_t>(ms - now));
        now = ms;
    };
    until(5580);
    EXPECT_EQ(instruction->demoPair(), nullptr) << "nothing before 5.59 s";
    until(5610);
    MouseMove* first = instruction->demoPair();
    ASSERT_NE(first, nullptr) << "the first pair at 5.59 s";
    EXPECT_EQ(first->startCircle->getRect().left + first->startCircle->getRect().right, 2 * 150);

    until(9280);
    EXPECT_TRUE(mouse->pointerPicture->isHidden());
    until(9310);
    EXPECT_FALSE(mouse->pointerPicture->isHidden()) << "the cursor and mouse appear at 9.29 s";
    EXPECT_FALSE(mouse->mousePicture->isHidden());
    until(9290 + 51 * Instruction::glideIntervalMs + 40);
    // 51 moves ending one step beyond (645, 300).
    EXPECT_EQ(mouse->pointerPicture->getRect().left, 654);
    EXPECT_EQ(mouse->mousePicture->getRect().left, 664);

    until(18570);
    EXPECT_EQ(instruction->demoPair(), first);
    EXPECT_FALSE(first->aborted);
    until(23570);
    EXPECT_FALSE(mouse->mousePicture->isHidden());
    until(23610);
    EXPECT_TRUE(mouse->mousePicture->isHidden()) << "the mouse goes at 23.58 s";
    EXPECT_TRUE(mouse->pointerPicture->isHidden());
    MouseMove* second = instruction->demoPair();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    const RECT target = second->targetCircle->getRect();
    EXPECT_EQ((target.left + target.right) / 2, 650);
    EXPECT_EQ((target.top + target.bottom) / 2, 150);

    // The pupil's hand never touches the demonstration's pairs.
    send(WM_MOUSEMOVE, 0, 300, 300);
    send(WM_MOUSEMOVE, 0, 650, 150);
    after(3000);
    EXPECT_FALSE(second->started);
}

TEST_F(InstructionTest, TheGlideMovesItsPicture51TimesSixtyMillisecondsApart) {
    open();
    auto* picture = instruction->createPicture(0, 0, L"EditBarKaretka", 5);
    instruction->glidePicture(FLOATPOINT{150.0f, 300.0f}, 645, 300, picture);
    std::vector<int> seen;
    for (int ms = 0; ms < 60 * 53; ms += 10) {
        after(10);
        const int x = picture->getRect().left;
        if (seen.empty() || seen.back() != x) seen.push_back(x);
    }
    ASSERT_EQ(seen.size(), 52u) << "the start and 51 moves";
    // Each position is the one before plus the step, in single precision, cut toward zero.
    const float step = (645.0f - 150.0f) / 50.0f;
    float x = 150.0f;
    for (std::size_t k = 1; k <= 51; ++k) {
        x += step;
        EXPECT_EQ(seen[k], static_cast<int>(x)) << "move " << k;
    }
    EXPECT_EQ(picture->getRect().top, 300);
}

TEST_F(InstructionTest, AfterTheNarrationTheSpaceBarShowsThenBlinksAndSpaceClosesTheInstruction) {
    open();
    endClip();
    space();
    instruction->finishInstruction(true, true);
    ASSERT_EQ(instruction->phase(), Instruction::Phase::Closing);
    Instruction::Picture* bar = instruction->spaceBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isHidden()) << "visible at first";
    after(490);
    EXPECT_FALSE(bar->isHidden());
    after(20);
    EXPECT_TRUE(bar->isHidden()) << "hidden after 500 ms";
    after(500);
    EXPECT_FALSE(bar->isHidden());
    space();
    EXPECT_EQ(closings, 1);
}

TEST_F(InstructionTest, ClosingAtAnyStepLeavesNoTimerSoundOrKeyHandlerBehind) {
    struct Step {
        const char* name;
        int spaces;
        bool finished;
    };
    const Step steps[] = {{"during the clip", 0, false},
                          {"at the key hints", -1, false},
                          {"during the demonstration", 1, false},
                          {"at the closing prompt", 1, true}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const std::size_t timersBefore = liveTimers();
        open();
        if (step.spaces != 0) endClip();
        if (step.spaces > 0) space();
        if (step.spaces > 0) after(9400); // the pair is up and the glide is running
        if (step.finished) instruction->finishInstruction(true, true);
        const std::uint32_t narration = instruction->narration();
        dialog->close();
        settle();
        EXPECT_EQ(liveTimers(), timersBefore) << "every timer went with the dialog";
        if (narration != 0) {
            EXPECT_FALSE(resourceManager()->stream(narration)->isPlaying());
        }
        const int closingsBefore = closings;
        space();
        after(30000);
        EXPECT_EQ(closings, closingsBefore) << "no key handler or cue reaches the closed dialog";
        closings = 0;
    }
}

// What the dialog's closing brings next (the exercise screen: its handler was connected before the
// instruction was made) is built without the clip's decoder and frame textures beside it.
TEST_F(InstructionTest, TheClipsMemoryIsGoneBeforeWhatComesNextIsBuilt) {
    for (const Instruction::Kind kind : {Instruction::Kind::General, Instruction::Kind::SlowedStage}) {
        SCOPED_TRACE(kind == Instruction::Kind::General ? "general" : "slowed stage");
        TextureRegistry* registry = textureRegistry();
        ASSERT_NE(registry, nullptr);
        const std::wstring frame = L"IMTheoraView1" + std::to_wstring(IMTheoraView::clipCounter());
        std::optional<bool> frameHeldWhenNextIsBuilt;
        dialog = new IMContainer(window, std::nullopt, 0);
        dialog->closed.connect([&](const IMEvent&) {
            frameHeldWhenNextIsBuilt = registry->findTexture(frame) != registry->invalidHandle();
            return 0L;
        });
        instruction = new Instruction(dialog, kind);
        settle();
        ASSERT_NE(registry->findTexture(frame), registry->invalidHandle()) << "the clip plays";
        dialog->close();
        ASSERT_TRUE(frameHeldWhenNextIsBuilt.has_value());
        EXPECT_FALSE(*frameHeldWhenNextIsBuilt);
        settle();
    }
}

TEST_F(InstructionTest, WithoutItsClipTheSlowedStageInstructionStillClosesWhenTheClipEnds) {
    open(Instruction::Kind::SlowedStage);
    ASSERT_NE(instruction->clip(), nullptr);
    EXPECT_EQ(closings, 0);
    endClip();
    EXPECT_EQ(closings, 1) << "the slowed stage's instruction closes with its clip";
}

} // namespace

namespace {

// A machine without a sound card: the window's sound system finds no device.
struct NoSoundCard {
    NoSoundCard() {
        if (const char* driver = std::getenv("SDL_AUDIODRIVER")) saved = driver;
        ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    }
    ~NoSoundCard() { ::setenv("SDL_AUDIODRIVER", saved.c_str(), 1); }
    std::string saved = "dummy";
};

class InstructionWithoutSoundTest : private NoSoundCard, public InstructionTest {};

TEST_F(InstructionWithoutSoundTest, TheDemonstrationKeepsTheNarrationsPaceAndEndsAtTheClosingPrompt) {
    ASSERT_FALSE(resourceManager()->hasAudioDevice());
    open();
    endClip();
    space();
    ASSERT_EQ(instruction->phase(), Instruction::Phase::Demonstration);
    EXPECT_EQ(instruction->narration(), 0u);
    after(5580);
    EXPECT_EQ(instruction->demoPair(), nullptr);
    after(30);
    EXPECT_NE(instruction->demoPair(), nullptr) << "the first pair at 5.59 s";
    after(9310 - 5610);
    EXPECT_FALSE(instruction->cursorMouse()->pointerPicture->isHidden()) << "the glide at 9.29 s";
    after(Instruction::silentNarrationMs - 9310 - 20);
    EXPECT_EQ(instruction->phase(), Instruction::Phase::Demonstration);
    after(40);
    ASSERT_EQ(instruction->phase(), Instruction::Phase::Closing) << "the closing prompt when the narration would end";
    ASSERT_NE(instruction->spaceBar(), nullptr);
    space();
    EXPECT_EQ(closings, 1);
    settle();
    EXPECT_EQ(liveTimers(), 0u);
}

} // namespace
