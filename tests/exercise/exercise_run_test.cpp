// The exercise run on the real application object, window and control tree, with the timers on a
// test clock and a simulated pupil moving the mouse: twenty tasks, the stage and praise sounds,
// the slowed stage with its instruction and drawn arrow, and the end of the run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "exercise/App.h"
#include "exercise/ExerciseCursor.h"
#include "exercise/ExerciseSounds.h"
#include "exercise/Instruction.h"
#include "screens/CompletionScreen.h"
#include "screens/PraiseScreen.h"
#include "screens/SettingsPage.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"
#include "platform/Cursor.h"
#include "platform/MessageQueue.h"
#include "window/IMResourceManager.h"

namespace {

struct Request {
    std::wstring sound;
    int taskIndex; // the task being started (or, for the success signal, just finished) + 0
    friend bool operator==(const Request&, const Request&) = default;
};

std::ostream& operator<<(std::ostream& os, const Request& r) {
    return os << std::string(r.sound.begin(), r.sound.end()) << "@" << r.taskIndex;
}

class ExerciseRun : public ::testing::Test {
protected:
    ExerciseRun() : clockScope(clock) {
        app = App::instance(L"00061 Упражнение «Tavrelo»");
        sounds = exercise::soundRequests().connect([this](const std::wstring& name) {
            if (name == L"120")
                ++successSounds;
            else
                requested.push_back({name, app->nextTaskIndex});
        });
        cursorCountAtStart = platform::cursorDisplayCount();
    }
    ~ExerciseRun() override {
        App::releaseInstance();
        platform::discardMessages();
        while (platform::cursorDisplayCount() < cursorCountAtStart) platform::showCursor(true);
        while (platform::cursorDisplayCount() > cursorCountAtStart) platform::showCursor(false);
    }

    void update() { app->window->onUpdate(IMEvent(app->window, IM_MSG_CLOSE)); }
    void jump(std::uint64_t ms) {
        clock.advanceMs(ms);
        app->window->fireDueTimers();
        update();
    }
    void mouse(POINT p) {
        app->window->onMouseMove(IMMouseEvent(app->window, WM_MOUSEMOVE, 0, p.x, p.y));
    }

    POINT cursor() {
        POINT p;
        platform::getCursorPos(p);
        return p;
    }
    const MoveTaskSpec& onScreen() const {
        return app->taskList.at(static_cast<std::size_t>(app->nextTaskIndex - 1));
    }
    int circlesOnScreen() const {
        int count = 0;
        for (const auto& [layer, children] : app->exerciseDialog->children())
            for (const IMControl* child : children)
                if (child != app->cursorPicture && layer <= 1) ++count;
        return count - 1; // the background
    }

    // The pupil leaves the start circle by a quarter of the way and rests on the target's centre.
    void moveDirectly(const MoveTaskSpec& t) {
        const POINT off{t.x1 + (t.x2 - t.x1) / 4, t.y1 + (t.y2 - t.y1) / 4};
        mouse(POINT{t.x1, t.y1});
        mouse(off);
        mouse(POINT{t.x2, t.y2});
    }
    // With the slowed cursor the hand makes 100-pixel strokes towards the target; each report
    // starts where the system cursor was left (pulled back to the arrow's tip whenever the arrow
    // moved). The hand then rests: the last report is the one the warp makes, at the tip.
    // A quick hand makes no report on the start circle: its first one is already a stroke away.
    void moveSlowed(const MoveTaskSpec& t, bool reportOnStart = true) {
        POINT hand{t.x1, t.y1};
        if (reportOnStart) mouse(hand);
        const DrawnCursorPosition& tip = drawnCursorPosition();
        for (int stroke = 0; stroke < 1000; ++stroke) {
            const int dx = t.x2 - tip.x;
            const int dy = t.y2 - tip.y;
            const int sx = std::abs(dx) > 4 ? (dx > 0 ? 100 : -100) : 0;
            const int sy = std::abs(dy) > 4 ? (dy > 0 ? 100 : -100) : 0;
            if (sx == 0 && sy == 0) break;
            const POINT before{tip.x, tip.y};
            // The pointer stops at the edges of the screen.
            const POINT report{std::clamp(hand.x + sx, 0, 799), std::clamp(hand.y + sy, 0, 599)};
            mouse(report);
            hand = (POINT{tip.x, tip.y} == before) ? report : POINT{tip.x, tip.y};
        }
        mouse(POINT{tip.x, tip.y});
        EXPECT_NE(app->exerciseDialog->hoveredChild(), app->cursorPicture)
            << "the arrow never takes the hover from the circle beneath its tip";
    }
    // Plays the task on screen to its end: the dwell, the success signal and the fade-out, after
    // which the next task (or the end of the run) follows.
    void solveTask() {
        const MoveTaskSpec& t = onScreen();
        const int successBefore = successSounds;
        if (app->cursorPicture && !app->cursorPicture->isHidden())
            moveSlowed(t);
        else
            moveDirectly(t);
        jump(2000);
        ASSERT_EQ(successSounds, successBefore + 1) << "task " << app->nextTaskIndex - 1;
        for (int step = 0; step < 10; ++step) jump(100);
    }
    // Tasks until `count` have been started and all before the last one completed.
    void startRun() {
        app->runNextDialog();
        update();
        ASSERT_NE(app->exerciseDialog, nullptr);
    }
    void solveUntilStarted(int taskIndex) {
        while (app->nextTaskIndex <= taskIndex) {
            ASSERT_TRUE(app->currentMove) << "task " << app->nextTaskIndex;
            ASSERT_NO_FATAL_FAILURE(solveTask());
            endInstructionClip(); // the slowed stage's instruction closes with its clip
        }
    }
    // The instruction's clip reaches its end (the clip itself runs on the real decoder; its end is
    // what the flow reacts to).
    void endInstructionClip() {
        update();
        if (!app->shownInstruction || !app->shownInstruction->clip()) return;
        app->shownInstruction->clip()->finished(IMEvent(app->shownInstruction, IM_MSG_STATE));
        update();
        update();
    }
    // The final praise on screen, if any.
    PraiseScreen* praise() {
        update();
        for (const auto& [layer, children] : app->window->children())
            for (IMControl* child : children)
                if (auto* screen = dynamic_cast<PraiseScreen*>(child)) return screen;
        return nullptr;
    }
    // The praise clip reaches its end: the praise and the exercise screen close.
    void endPraise() {
        PraiseScreen* screen = praise();
        ASSERT_NE(screen, nullptr) << "the final praise is on screen";
        screen->clip()->finished(IMEvent(screen, IM_MSG_STATE));
        update();
        update();
    }
    void pressKey(WPARAM vk) {
        app->window->handleMessage(platform::NativeMessage{WM_KEYDOWN, vk, 1, 0, 0});
        update();
        update();
    }

    platform::ManualClock clock;
    platform::ScopedClock clockScope;
    App* app = nullptr;
    std::vector<Request> requested;
    int successSounds = 0;
    int cursorCountAtStart = 0;
    boost::signals2::scoped_connection sounds;
};

TEST_F(ExerciseRun, CarriesItsCatalogueEntryAndRegistersTheExerciseScreen) {
    EXPECT_EQ(app->number, L"00061");
    EXPECT_EQ(app->title, L"Упражнение «Tavrelo»");
    std::vector<std::wstring> lines;
    std::wstring line;
    for (wchar_t c : app->description + L"\n") {
        if (c == L'\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0].rfind(L"Упражнение позволяет отрабатывать навык", 0), 0u);
    EXPECT_NE(lines[0].find(L"кружков \u2013 синем"), std::wstring::npos);
    EXPECT_TRUE(lines[1].empty());
    for (std::size_t i = 2; i < 11; ++i) {
        EXPECT_EQ(lines[i].rfind(L"   ", 0), 0u) << i;
        EXPECT_NE(lines[i][3], L' ') << "exactly three spaces, line " << i + 1;
    }
    EXPECT_EQ(lines[8], L"   - перемещения с замедленным курсором.");
    const std::wstring lastWords = L"были одинаковы.";
    EXPECT_EQ(lines[10].substr(lines[10].size() - lastWords.size()), lastWords);
    EXPECT_EQ(app->currentDialogName, L"Dialog1");
    EXPECT_EQ(app->dialogs.count(L"Dialog1"), 1u);
}

TEST_F(ExerciseRun, TheExerciseScreenShowsTheStretchedBackgroundAndTheFirstTask) {
    startRun();
    IMContainer* screen = app->exerciseDialog;
    EXPECT_EQ(screen, app->runningDialog);
    const auto& bottom = screen->children().at(0);
    ASSERT_FALSE(bottom.empty());
    const auto* background = dynamic_cast<const App::Picture*>(bottom.front());
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->getRect(), (RECT{0, 0, 800, 600}));
    EXPECT_EQ(background->getContentRect(), (RECT{0, 0, 400, 300}));
    ASSERT_EQ(app->taskList.size(), 20u);
    EXPECT_EQ(app->praiseAt, (std::vector<int>{2, 9, 14}));
    EXPECT_EQ(app->nextTaskIndex, 1);
    EXPECT_EQ(app->currentKind, 1);
    ASSERT_NE(app->cursorPicture, nullptr);
    EXPECT_TRUE(app->cursorPicture->isHidden()) << "the arrow waits for the slowed stage";
    EXPECT_EQ(app->cursorPicture->alphaThreshold, 256) << "the arrow is drawn, never hit";
    EXPECT_EQ(screen->children().at(100).front(), app->cursorPicture);
    EXPECT_EQ(cursor(), (POINT{app->taskList[0].x1, app->taskList[0].y1}));
}

TEST_F(ExerciseRun, TwentyTasksWithStageSoundsPraiseAndTheFinalPraise) {
    App::praiseCounter = 0;
    startRun();
    for (int task = 0; task < 20; ++task) {
        ASSERT_EQ(app->nextTaskIndex, task + 1);
        const MoveTaskSpec& t = onScreen();
        EXPECT_EQ(cursor(), (POINT{t.x1, t.y1})) << "task " << task << " starts on its circle";
        EXPECT_EQ(circlesOnScreen(), 3) << "one pair at a time, task " << task;
        ASSERT_NO_FATAL_FAILURE(solveTask());
        endInstructionClip();
    }
    EXPECT_EQ(successSounds, 20);
    const std::vector<Request> expected{{L"111", 0}, {L"112", 2},  {L"113", 4},
                                        {L"110", 8}, {L"106", 9}, {L"109", 14}};
    EXPECT_EQ(requested, expected);
    // Where an audio device exists, each sound reached the sound system under its number.
    if (resourceManager()->hasAudioDevice()) {
        std::vector<std::wstring> loaded;
        for (const SoundSourceEntry& entry : resourceManager()->sources())
            loaded.push_back(entry.name);
        for (const wchar_t* name : {L"111", L"112", L"113", L"110", L"106", L"109", L"120"})
            EXPECT_NE(std::find(loaded.begin(), loaded.end(), name), loaded.end());
    }
    ASSERT_TRUE(app->finalPraiseShownAt.has_value());
    EXPECT_EQ(*app->finalPraiseShownAt, (POINT{137, 100}));
    EXPECT_FALSE(app->currentMove) << "no task after the twentieth";
    // The final praise: the cloud at (137, 100) with its clip at (230, 176), 320 x 200.
    PraiseScreen* shown = praise();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->cloud()->getRect().left, 137);
    EXPECT_EQ(shown->cloud()->getRect().top, 100);
    EXPECT_EQ(shown->clip()->getRect(), (RECT{230, 176, 550, 376}));
    EXPECT_NE(app->exerciseDialog, nullptr) << "the exercise stays under the praise";
    // The praise ends the run when its clip ends: the exercise screen closes and the run is reset.
    ASSERT_NO_FATAL_FAILURE(endPraise());
    EXPECT_EQ(praise(), nullptr);
    EXPECT_EQ(app->runningDialog, nullptr);
    EXPECT_EQ(app->exerciseDialog, nullptr);
    EXPECT_EQ(app->nextTaskIndex, 0);
    EXPECT_EQ(app->currentKind, 0);
    EXPECT_FALSE(app->slowedInstruction);
}

// A quick hand: each task is made by a timer callback and its circles join the screen at the
// next update pass, but the pupil's reports are already queued and handled before it. The hand
// goes straight for the target (one report onto it; big strokes in the slowed stage) and every
// task still completes.
TEST_F(ExerciseRun, AQuickHandCompletesEveryTaskIncludingTheSlowedStage) {
    app->runNextDialog();
    for (int task = 0; task < 20; ++task) {
        SCOPED_TRACE(task);
        ASSERT_EQ(app->nextTaskIndex, task + 1);
        const MoveTaskSpec t = onScreen();
        const bool slowed = app->cursorPicture && !app->cursorPicture->isHidden();
        if (slowed) {
            // The first big stroke lands far beyond the dead zone before the circles appear; the
            // strokes that follow come after.
            mouse(POINT{std::clamp(t.x1 + (t.x2 > t.x1 ? 100 : -100), 0, 799), t.y1});
            update();
            moveSlowed(t, false);
        } else {
            mouse(POINT{t.x2, t.y2});
            update();
        }
        ASSERT_TRUE(app->currentMove->started);
        ASSERT_EQ(app->exerciseDialog->hoveredChild(), app->currentMove->targetCircle);
        const int successBefore = successSounds;
        jump(2000);
        ASSERT_EQ(successSounds, successBefore + 1);
        for (int step = 0; step < 9; ++step) jump(100);
        // The last fade step makes the next task; the reports for it come before the update pass.
        clock.advanceMs(100);
        app->window->fireDueTimers();
        // Unless the slowed stage's instruction comes first: it closes with its clip and then
        // makes the task.
        if (task + 1 < 20 && app->nextTaskIndex == task + 1) endInstructionClip();
    }
    EXPECT_EQ(successSounds, 20);
}

TEST_F(ExerciseRun, TheSlowedStageWaitsForItsInstructionThenPutsArrowAndCursorOnTheCircle) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(15));
    ASSERT_EQ(app->currentKind, 4);
    const MoveTaskSpec& t15 = onScreen();
    moveDirectly(t15);
    jump(2000);
    for (int step = 0; step < 9; ++step) jump(100);
    // The last fade step of task 15: the slowed stage begins, and its instruction comes first.
    const int cursorCount = platform::cursorDisplayCount();
    clock.advanceMs(100);
    app->window->fireDueTimers();
    EXPECT_EQ(app->currentKind, 5);
    EXPECT_EQ(app->nextTaskIndex, 16) << "task 16 waits for the instruction";
    EXPECT_FALSE(app->currentMove);
    EXPECT_TRUE(app->slowedInstruction);
    EXPECT_LT(platform::cursorDisplayCount(), 0);
    EXPECT_LT(platform::cursorDisplayCount(), cursorCount);
    EXPECT_FALSE(app->cursorPicture->isHidden());
    EXPECT_TRUE(app->window->hasPendingChildren()) << "the instruction screen was opened";
    EXPECT_EQ(std::count_if(requested.begin(), requested.end(),
                            [](const Request& r) { return r.taskIndex == 16; }),
              0)
        << "the slowed stage has no announcement";

    // The instruction closes when its clip ends, and task 16 starts under the arrow.
    update();
    ASSERT_NE(app->shownInstruction, nullptr);
    EXPECT_FALSE(app->currentMove) << "not before the clip's end";
    endInstructionClip();
    ASSERT_TRUE(app->currentMove);
    EXPECT_EQ(app->nextTaskIndex, 17);
    const MoveTaskSpec& t16 = onScreen();
    EXPECT_EQ(t16.kind, 5);
    EXPECT_EQ(app->cursorPicture->getPosition(), (POINT{t16.x1, t16.y1}));
    EXPECT_EQ(cursor(), (POINT{t16.x1, t16.y1}));
    EXPECT_EQ(circlesOnScreen(), 3) << "task 15's pair is gone; task 16's is the only one";

    // A 100-pixel hand movement moves the arrow 4 pixels (factor 5) and pulls the cursor back.
    mouse(POINT{t16.x1, t16.y1});
    EXPECT_NE(app->exerciseDialog->hoveredChild(), app->cursorPicture);
    mouse(POINT{t16.x1 + 100, t16.y1});
    EXPECT_EQ(app->cursorPicture->getPosition(), (POINT{t16.x1 + 4, t16.y1}));
    EXPECT_EQ(cursor(), (POINT{t16.x1 + 4, t16.y1}));

    // Every later task starts with the arrow and the cursor on its first circle.
    ASSERT_NO_FATAL_FAILURE(solveTask());
    update();
    const MoveTaskSpec& t17 = onScreen();
    EXPECT_EQ(app->cursorPicture->getPosition(), (POINT{t17.x1, t17.y1}));
    EXPECT_EQ(cursor(), (POINT{t17.x1, t17.y1}));
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(19));
    ASSERT_NO_FATAL_FAILURE(solveTask());
    EXPECT_TRUE(app->finalPraiseShownAt.has_value());
}

TEST_F(ExerciseRun, PraiseRotationAndStageSoundsStartOverWithASecondRun) {
    App::praiseCounter = 0;
    startRun();
    IMControl* firstArrow = app->cursorPicture;
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(19));
    ASSERT_NO_FATAL_FAILURE(solveTask());
    ASSERT_NO_FATAL_FAILURE(endPraise());
    ASSERT_EQ(app->runningDialog, nullptr);

    requested.clear();
    app->setCurrentDialog(L"Dialog1");
    startRun();
    EXPECT_NE(app->cursorPicture, firstArrow);
    EXPECT_TRUE(app->cursorPicture->isHidden());
    EXPECT_EQ(app->currentKind, 1);
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(19));
    const std::vector<Request> expected{{L"111", 0}, {L"107", 2},  {L"113", 4},
                                        {L"110", 8}, {L"105", 9}, {L"112", 14}};
    EXPECT_EQ(requested, expected);
}

TEST_F(ExerciseRun, KeysDoNotStopTheTaskOnScreen) {
    startRun();
    MouseMove* task = app->currentMove.get();
    for (WPARAM key : {WPARAM{VK_SPACE}, WPARAM{'A'}, WPARAM{VK_RETURN}, WPARAM{VK_ESCAPE}})
        app->window->handleMessage(platform::NativeMessage{WM_KEYDOWN, key, 1, 0, 0});
    EXPECT_FALSE(task->aborted);
    ASSERT_NO_FATAL_FAILURE(solveTask());
    EXPECT_EQ(app->nextTaskIndex, 2) << "the run went on to the next task";
}

TEST_F(ExerciseRun, AfterAnInstructionOpenedByF1ThePupilIsBackOnTheSameTaskFromItsBlueCircle) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(2));
    const MoveTaskSpec task = onScreen();
    // The pupil had left the blue circle before asking for help.
    mouse(POINT{task.x1, task.y1});
    mouse(POINT{(task.x1 + task.x2) / 2, (task.y1 + task.y2) / 2});
    const int extraBefore = app->extraInstructionCalls;
    const int cursorBefore = platform::cursorDisplayCount();
    ASSERT_GE(cursorBefore, 0);
    pressKey(VK_F1);
    EXPECT_EQ(app->extraInstructionCalls, extraBefore + 1);
    ASSERT_NE(app->shownInstruction, nullptr);
    EXPECT_LT(platform::cursorDisplayCount(), 0) << "the instruction hides the cursor";
    // The demonstration runs its own pairs and leaves the pupil's task alone.
    app->shownInstruction->clip()->finished(IMEvent(app->shownInstruction, IM_MSG_STATE));
    jump(10);
    EXPECT_EQ(app->shownInstruction->phase(), Instruction::Phase::KeyHints);

    pressKey('A'); // any key closes an instruction opened by F1
    EXPECT_FALSE(app->instructionShowing);
    EXPECT_EQ(app->shownInstruction, nullptr);
    EXPECT_EQ(platform::cursorDisplayCount(), cursorBefore) << "the cursor shows as before";
    ASSERT_TRUE(app->currentMove);
    EXPECT_EQ(app->nextTaskIndex, 3) << "no task skipped, none doubled";
    EXPECT_EQ(onScreen().x2, task.x2);
    EXPECT_EQ(onScreen().y2, task.y2);
    EXPECT_EQ(circlesOnScreen(), 3) << "the task's pair alone";
    EXPECT_EQ(cursor().x, task.x1);
    EXPECT_EQ(cursor().y, task.y1);
    for (int step = 0; step < 10; ++step) jump(100);
    ASSERT_NO_FATAL_FAILURE(solveTask());
    EXPECT_EQ(app->nextTaskIndex, 4);
}

TEST_F(ExerciseRun, HelpAskedForDuringASuccessfulPairsFadeOutGoesOnWithTheNextTask) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(2));
    const MoveTaskSpec done = onScreen();
    moveDirectly(done);
    jump(2000);
    ASSERT_EQ(successSounds, 3) << "the pair has succeeded and fades out";
    jump(300);
    pressKey(VK_F1);
    ASSERT_NE(app->shownInstruction, nullptr);
    pressKey('A'); // closed before the fade-out would have ended
    EXPECT_EQ(app->nextTaskIndex, 4) << "the succeeded task is not asked for again";
    const MoveTaskSpec next = onScreen();
    EXPECT_FALSE(next.x2 == done.x2 && next.y2 == done.y2 && next.x1 == done.x1 && next.y1 == done.y1);
    EXPECT_EQ(circlesOnScreen(), 3) << "the next task's pair alone";
    EXPECT_EQ(cursor().x, next.x1);
    EXPECT_EQ(cursor().y, next.y1);
    for (int step = 0; step < 10; ++step) jump(100);
    EXPECT_EQ(app->nextTaskIndex, 4) << "the old fade-out does not start yet another task";
    ASSERT_NO_FATAL_FAILURE(solveTask());
    EXPECT_EQ(app->nextTaskIndex, 5);
}

TEST_F(ExerciseRun, F1InTheSlowedStageShowsItsInstructionAndKeepsTheTaskOnScreen) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(17));
    MouseMove* task = app->currentMove.get();
    const int cursorBefore = platform::cursorDisplayCount();
    pressKey(VK_F1);
    ASSERT_NE(app->shownInstruction, nullptr);
    EXPECT_TRUE(app->slowedInstruction);
    EXPECT_EQ(platform::cursorDisplayCount(), cursorBefore) << "the arrow stays; no cursor";
    pressKey('A');
    EXPECT_EQ(app->shownInstruction, nullptr);
    EXPECT_EQ(app->currentMove.get(), task);
    EXPECT_EQ(app->nextTaskIndex, 18);
    EXPECT_EQ(circlesOnScreen(), 3);
    EXPECT_LT(platform::cursorDisplayCount(), 0);
    ASSERT_NO_FATAL_FAILURE(solveTask());
    EXPECT_EQ(app->nextTaskIndex, 19);
}

TEST_F(ExerciseRun, CancelInTheExitMenuDuringTheSlowedStageHidesTheSystemCursorAgain) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(16));
    ASSERT_LT(platform::cursorDisplayCount(), 0);
    pressKey(VK_F12);
    ASSERT_NE(app->exitMenu, nullptr);
    EXPECT_GE(platform::cursorDisplayCount(), 0) << "the menu's buttons need the cursor";
    app->closeExitMenu();
    EXPECT_LT(platform::cursorDisplayCount(), 0) << "the drawn arrow stands for the cursor again";
}

TEST_F(ExerciseRun, ClosingTheScreenMidRunLeavesNothingBehind) {
    startRun();
    ASSERT_NO_FATAL_FAILURE(solveUntilStarted(16));
    app->exerciseDialog->close();
    EXPECT_EQ(app->exerciseDialog, nullptr);
    EXPECT_FALSE(app->currentMove);
    EXPECT_EQ(app->nextTaskIndex, 0);
    for (int i = 0; i < 50; ++i) jump(100);
    mouse(POINT{400, 300});
    mouse(POINT{100, 100});
    EXPECT_EQ(successSounds, 16);
}

struct PraiseCase {
    const char* name;
    std::vector<int> kinds;
    std::vector<int> praiseAt;
};

class PraiseIndices : public ::testing::TestWithParam<PraiseCase> {};

TEST_P(PraiseIndices, FollowRunsOfThreeWithinAStage) {
    const PraiseCase& c = GetParam();
    App app;
    for (int kind : c.kinds) app.taskList.push_back(MoveTaskSpec{kind, 0, 0, 0, 0, 20});
    app.computePraiseAt();
    EXPECT_EQ(app.praiseAt, c.praiseAt);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PraiseIndices,
    ::testing::Values(
        PraiseCase{"StandardRun", {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5},
                   {2, 9, 14}},
        PraiseCase{"Empty", {}, {}}, PraiseCase{"One", {1}, {}},
        PraiseCase{"OneLongStage", {1, 1, 1, 1, 1, 1, 1}, {2, 5}},
        PraiseCase{"ShortStagesNeverPraise", {1, 1, 2, 2, 3, 3, 4, 4}, {}}),
    [](const ::testing::TestParamInfo<PraiseCase>& tested) { return std::string(tested.param.name); });

} // namespace

TEST_F(ExerciseRun, TheSettingsPageOpensOverTheStartScreenAndFeedsTheNextRun) {
    app->showStartScreen();
    update();
    IMControl* opened = app->openSettings();
    auto* page = dynamic_cast<SettingsPage*>(opened);
    ASSERT_NE(page, nullptr);
    update();
    EXPECT_TRUE(page->hasFocus());
    page->fields[18]->setText(L"2"); // the slow-down factor
    page->fields[1]->setText(L"60"); // stage 1's first radius
    EXPECT_TRUE(page->submit());
    EXPECT_EQ(app->options.currentSettings.slowdownFactor, 2);
    startRun();
    ASSERT_FALSE(app->taskList.empty());
    EXPECT_EQ(app->taskList.front().radius, 60) << "the run is generated from what the page put in force";
}
