#include "exercise/App.h"

#include <boost/bind/bind.hpp>

#include "exercise/ExerciseCursor.h"
#include "exercise/ExerciseSounds.h"
#include "exercise/Instruction.h"
#include "screens/PraiseScreen.h"
#include "screens/SettingsPage.h"

using boost::placeholders::_1;

const std::wstring App::catalogueNumber = L"00061";
const std::wstring App::exerciseTitle = L"Упражнение «Tavrelo»";
const std::wstring App::exerciseDescription =
    L"Упражнение позволяет отрабатывать навык по перемещению курсора мыши. На экране появляется "
    L"пара кружков, отдаленных друг от друга на определенное расстояние. Курсор мыши находится на "
    L"одном из этих кружков \u2013 синем. Требуется переместить курсор мыши к оранжевому кругу и "
    L"остановить над ним. Тогда срабатывает звуковой сигнал о правильно выполненном действии и на "
    L"экране появляется следующая пара кругов. Закономерность отображения кругов следующая: с "
    L"каждым шагом расстояние между кругами увеличивается, а диаметр оранжевого круга уменьшается."
    L"\n"
    L"\n"
    L"   Направления перемещений меняются так:\n"
    L"   - горизонтальные,\n"
    L"   - вертикальные,\n"
    L"   - поочередно меняющиеся,\n"
    L"   - поочередно меняющиеся со случайным расстоянием,\n"
    L"   - поочередно меняющиеся со случайным направлением,\n"
    L"   - перемещения с замедленным курсором.\n"
    L"   Особое внимание следует уделить последнему этапу. Часто возникают ситуации, при которых "
    L"передвинуть мышь одним движением недостаточно: она упирается в лежащие на столе предметы или "
    L"подходит к краю стола. Важно приучить ребенка к маневрированию мыши в ограниченном рабочем "
    L"пространстве.\n"
    L"   Данное упражнение позволяет менять настройки и генерирует результаты, позволяющие сделать "
    L"вывод о динамике развития навыка и сравнить с результатами других учеников. Сравнивая "
    L"результаты разных учеников, убедитесь, что во всех случаях начальные условия задания были "
    L"одинаковы.";

int App::praiseCounter = 0;

namespace {

const wchar_t* const backgroundImage = L"103";
const wchar_t* const arrowImage = L"102";
constexpr int arrowLayer = 100;
constexpr int arrowNeverHit = 256; // above any texel alpha
const wchar_t* const praiseSounds[] = {L"112", L"106", L"109", L"107", L"105"};
constexpr int praiseSoundCount = static_cast<int>(std::size(praiseSounds));

} // namespace

App::App() { setInfo(catalogueNumber, exerciseTitle, exerciseDescription); }

App::~App() {
    if (currentMove) currentMove->retire();
    currentMove.reset();
    retiredMoves_.clear();
    taskList.clear();
    praiseAt.clear();
    options.tasks.clear();
}

void App::init() {
    addDialog(L"Dialog1", boost::bind(&App::buildExercise, this, _1));
    settingsBuilder = [this](IMContainer* parent) -> IMControl* { return new SettingsPage(parent, options); };
    slowedInstruction = false;
}

long App::buildExercise(IMContainer* dialog) {
    Picture* background = dialog->createPicture(0, 0, backgroundImage, 0, 0xFFFFFFFF);
    background->setRect(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT});
    slowedInstruction = false;
    currentKind = 0;
    nextTaskIndex = 0;
    taskList = options.generateTasks();
    computePraiseAt();
    dialog->closed.connect(boost::bind(&App::onExerciseClosed, this, _1));
    exerciseDialog = dialog;
    nextTask(dialog, false);
    return 0;
}

long App::resetRun() {
    slowedInstruction = false;
    currentKind = 0;
    nextTaskIndex = 0;
    // The screen and everything on it are going; nothing may reach them any more.
    retireCurrentMove();
    exerciseDialog = nullptr;
    cursorPicture = nullptr;
    return 0;
}

void App::computePraiseAt() {
    praiseAt.clear();
    int previousKind = 0;
    int run = 1;
    const int count = static_cast<int>(taskList.size());
    for (int i = 0; i + 1 < count; ++i) {
        const int kind = taskList[static_cast<std::size_t>(i)].kind;
        if (kind != previousKind) {
            previousKind = kind;
            continue;
        }
        if (taskList[static_cast<std::size_t>(i) + 1].kind != previousKind) continue;
        if (++run == 3) {
            run = 0;
            praiseAt.push_back(i);
        }
    }
}

void App::playPraise() {
    exercise::playSoundOnce(praiseSounds[praiseCounter]);
    praiseCounter = (praiseCounter + 1) % praiseSoundCount;
}

void App::playStageSound(int kind) {
    switch (kind) {
    case 1: exercise::playSoundOnce(L"111"); break;
    case 2: exercise::playSoundOnce(L"113"); break;
    case 3: exercise::playSoundOnce(L"110"); break;
    default: break; // the angled and slowed stages have no announcement
    }
}

long App::nextTask(IMContainer* dialog, bool replaceCurrent) {
    if (!dialog) return 0;
    // Called again while a task is on screen (an instruction opened by F1 has closed): the run
    // goes on with that task.
    if (!replaceCurrent && currentMove) return 0;
    if (nextTaskIndex == 0) {
        cursorPicture = dialog->createPicture(0, 0, arrowImage, arrowLayer, 0xFFFFFFFF);
        // The hidden system cursor sits on the arrow's tip after every warp. Were the arrow hit
        // there, it would take the hover from the circle beneath and a pupil resting on the
        // target would never complete the task: it is drawn, never hit.
        cursorPicture->alphaThreshold = arrowNeverHit;
        cursorPicture->hide();
    }
    if (replaceCurrent) retireCurrentMove();
    if (nextTaskIndex >= static_cast<int>(taskList.size())) {
        finalPraiseShownAt = POINT{finalPraiseX, finalPraiseY};
        showFinalPraise(finalPraiseX, finalPraiseY);
        return 0;
    }
    const MoveTaskSpec task = taskList[static_cast<std::size_t>(nextTaskIndex)];
    bool startNow = true;
    if (task.kind != currentKind) {
        currentKind = task.kind;
        playStageSound(currentKind);
        if (currentKind == 5) {
            beginSlowedStage();
            startNow = false;
        }
    }
    if (!praiseAt.empty() && nextTaskIndex == praiseAt.front()) {
        playPraise();
        if (praiseAt.size() > 1) praiseAt.erase(praiseAt.begin());
    }
    // The slowed stage's first task waits for its instruction to close.
    if (!startNow) return 0;
    if (cursorPicture && !cursorPicture->isHidden())
        followSlowedCursor(IMMouseEvent(dialog, WM_MOUSEMOVE, 0, task.x1, task.y1), cursorPicture,
                           true);
    startTask(dialog, task);
    return 0;
}

void App::startTask(IMContainer* dialog, const MoveTaskSpec& task) {
    currentMove =
        std::make_unique<MouseMove>(task.x1, task.y1, dialog, task.x2, task.y2, task.radius, true);
    currentMove->completed.connect(boost::bind(&App::nextTask, this, dialog, true));
    ++nextTaskIndex;
}

void App::beginSlowedStage() {
    hideSystemCursor();
    slowedInstruction = true;
    auto* instruction = new IMContainer(window ? window : imWindow(),
                                        RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    showInstruction(instruction);
    if (!cursorPicture || !exerciseDialog) return;
    cursorPicture->show();
    exerciseDialog->mouseMoved.connect(
        boost::bind(&App::followSlowedCursor, this, _1, cursorPicture, false));
}

long App::followSlowedCursor(IMMouseEvent e, Picture* picture, bool reset) {
    if (picture)
        ::followSlowedCursor(e.x, e.y, *picture, reset, options.currentSettings.slowdownFactor);
    return 0;
}

void App::showInstruction(IMContainer* dialog) {
    if (slowedInstruction) {
        // The slowed stage has hidden the system cursor already; its drawn arrow stays.
        shownInstruction = new Instruction(dialog, Instruction::Kind::SlowedStage);
        dialog->closed.connect(boost::bind(&App::onSlowedInstructionClosed, this, _1));
        return;
    }
    // The cursor comes back as it was before (shown on the start screen and in stages 1-4),
    // whichever way the instruction ends.
    const int cursorCountBefore = platform::cursorDisplayCount();
    hideSystemCursor();
    // Opened over a running task (F1): the pupil goes back to that task when it closes.
    const bool resumesTask = exerciseDialog != nullptr && currentMove != nullptr;
    shownInstruction = new Instruction(dialog, Instruction::Kind::General);
    dialog->closed.connect(
        boost::bind(&App::onInstructionClosed, this, cursorCountBefore, resumesTask, _1));
}

long App::onSlowedInstructionClosed(const IMEvent&) {
    shownInstruction = nullptr;
    instructionShowing = false;
    return nextTask(exerciseDialog, false);
}

long App::onInstructionClosed(int cursorCountBefore, bool resumesTask, const IMEvent&) {
    shownInstruction = nullptr;
    instructionShowing = false;
    platform::restoreCursorDisplayCount(cursorCountBefore);
    if (resumesTask) restartCurrentTask();
    return 0;
}

void App::restartCurrentTask() {
    if (!exerciseDialog || !currentMove || nextTaskIndex == 0) return;
    // The same pair again from its blue circle, where the cursor is put: nothing skipped, nothing
    // doubled, and the task counts from now.
    // Its circles go now; a finished pair's fade-out would have removed them.
    for (MouseMove::Picture* circle :
         {currentMove->startCircle, currentMove->targetCircle, currentMove->centreMark})
        if (circle) circle->close();
    // Help asked for while the pair was fading out after its success: that task is done, and
    // the run goes on with the next one as its fade-out would have done.
    if (currentMove->hasSucceeded()) {
        nextTask(exerciseDialog, true);
        return;
    }
    retireCurrentMove();
    --nextTaskIndex;
    const MoveTaskSpec task = taskList[static_cast<std::size_t>(nextTaskIndex)];
    startTask(exerciseDialog, task);
}

long App::showFinalPraise(int x, int y) {
    // When the clip ends the praise and the exercise screen close together; the sequence then
    // writes the run's rows and shows the completion screen.
    new PraiseScreen(window, x, y, std::rand() & 0x7FFF, [this] {
        if (runningDialog) runningDialog->close();
    });
    return 0;
}

void App::showPraiseScreen(IMControl* owner) { new PraiseScreen(window, std::rand() & 0x7FFF, owner); }

long App::closeExitMenu() {
    IMApp<App>::closeExitMenu();
    // The menu showed the system cursor; in the slowed stage the drawn arrow stands for it.
    if (cursorPicture && !cursorPicture->isHidden()) hideSystemCursor();
    return 0;
}

long App::onKeyDown(const IMKeyboardEvent& e) {
    // A key press never touches the task on screen; only F12 (the exit menu) is handled here.
    return IMApp<App>::onKeyDown(e);
}

void App::retireCurrentMove() {
    if (!currentMove) return;
    currentMove->retire();
    retiredMoves_.push_back(std::move(currentMove));
    WindowTimers* w = windowTimers();
    if (!w) return;
    if (retiredMovesTimer_ != 0 && w->hasTimer(retiredMovesTimer_)) return;
    retiredMovesTimer_ = w->createTimer(0);
    w->connectTimer(retiredMovesTimer_,
                    boost::bind(&App::deleteRetiredMoves, this, retiredMovesTimer_, _1));
}

long App::deleteRetiredMoves(int timerId, const IMEvent&) {
    if (WindowTimers* w = windowTimers()) w->killTimer(timerId);
    retiredMovesTimer_ = 0;
    retiredMoves_.clear();
    return 0;
}
