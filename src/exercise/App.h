#pragma once
// The exercise application: its catalogue entry, the exercise screen registered as the one dialog
// of the sequence, and the run of twenty move tasks with their stage and praise sounds and the
// slowed cursor of the last stage.

#include <boost/function.hpp>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/IMApp.h"
#include "exercise/MouseMove.h"
#include "exercise/MoveTaskSpec.h"
#include "exercise/Options.h"

class Instruction;

class App : public IMApp<App> {
public:
    using Picture = IMStaticPictureBase<IMTextureView>;

    static const std::wstring catalogueNumber;
    static const std::wstring exerciseTitle;
    // Eleven lines joined by line feeds.
    static const std::wstring exerciseDescription;
    static constexpr int finalPraiseX = 137;
    static constexpr int finalPraiseY = 100;

    App();
    ~App() override;

    void init() override;
    void showInstruction(IMContainer* dialog) override;
    long showFinalPraise(int x, int y) override;
    void showPraiseScreen(IMControl* owner) override;
    long onKeyDown(const IMKeyboardEvent& e) override;
    long closeExitMenu() override;

    // The builder registered as "Dialog1": the background and the first task of a fresh run.
    long buildExercise(IMContainer* dialog);
    // Starts the next task of the run in `dialog`. With replaceCurrent the finished task is put
    // away first; without it a task still on screen goes on and nothing new starts.
    long nextTask(IMContainer* dialog, bool replaceCurrent);
    // The exercise screen closed: the run is over.
    long resetRun();
    void computePraiseAt();
    void playPraise();
    void playStageSound(int kind);
    void beginSlowedStage();
    long followSlowedCursor(IMMouseEvent e, Picture* picture, bool reset);

    bool slowedInstruction = false;
    Options options;
    std::vector<MoveTaskSpec> taskList;
    std::vector<int> praiseAt;
    int currentKind = 0;
    int nextTaskIndex = 0;
    std::unique_ptr<MouseMove> currentMove;
    IMContainer* exerciseDialog = nullptr;
    // The drawn arrow of the slowed stage; made anew, hidden, at the start of every run.
    Picture* cursorPicture = nullptr;
    // The instruction on screen, if any (it goes with its dialog).
    Instruction* shownInstruction = nullptr;
    // Where the last run asked for its final praise; empty before the end of the first run.
    std::optional<POINT> finalPraiseShownAt;

    // Position in the praise rotation; it carries over from run to run.
    static int praiseCounter;

private:
    long onExerciseClosed(const IMEvent&) { return resetRun(); }
    long onSlowedInstructionClosed(const IMEvent&);
    long onInstructionClosed(int cursorCountBefore, bool resumesTask, const IMEvent&);
    // The task the pupil was doing when an instruction opened over it, from its start again.
    void restartCurrentTask();
    void startTask(IMContainer* dialog, const MoveTaskSpec& task);
    // A finished task may be put away from inside its own completion signal, so it is deleted
    // only on the next turn of the loop.
    void retireCurrentMove();
    long deleteRetiredMoves(int timerId, const IMEvent&);

    std::vector<std::unique_ptr<MouseMove>> retiredMoves_;
    int retiredMovesTimer_ = 0;
};
