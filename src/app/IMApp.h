#pragma once
// The application object: owner of the window and the report, the dialog sequence with its
// statistics rows, and the keys that work everywhere (F1 instruction, Esc skip, F12 exit menu).

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/signals2/shared_connection_block.hpp>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/LocalTime.h"
#include "events/WideText.h"
#include "gui/IMButtonBase.h"
#include "gui/IMDialogBase.h"
#include "gui/IMStaticPictureBase.h"
#include "platform/Cursor.h"
#include "platform/Keyboard.h"
#include "report/ReportLocation.h"
#include "report/ReportPrinter.h"
#include "report/ReportText.h"
#include "report/SpreadsheetReport.h"
#include "screens/CompletionHost.h"
#include "screens/CompletionScreen.h"
#include "screens/CreditsScreen.h"
#include "screens/ExitMenu.h"
#include "screens/IMSaveAsDialog.h"
#include "screens/IMSelectPrinterDialog.h"
#include "screens/ScreenHost.h"
#include "screens/StartScreen.h"
#include "window/IMWindow.h"

namespace imapp_detail {
// Closes an instruction dialog on a key-down: Esc only, or any key. Bound with the dialog, so the
// connection goes away with it.
inline long closeInstructionOnKey(IMContainer* dialog, bool* showing, bool anyKey,
                                  const IMKeyboardEvent& e) {
    if (anyKey || e.wParam == VK_ESCAPE) {
        dialog->close();
        *showing = false;
    }
    return 0;
}
} // namespace imapp_detail

template <typename T> class IMApp : public ScreenHost, public CompletionHost {
public:
    using DialogBuilder = boost::function<long(IMContainer*)>;
    // Builds the settings page in the given parent and returns it.
    using SettingsBuilder = boost::function<IMControl*(IMContainer*)>;

    // The one instance, made on the first call; every call adds one to the use count.
    // `windowed`: a plain 800 × 600 window instead of full screen (trying the program out).
    static T* instance(const std::wstring& title, bool windowed = false);
    // Gives back one use; the last one deletes the window, the report and the application.
    static void releaseInstance();
    static T* current() { return instance_; }
    static int useCount() { return useCount_; }

    virtual ~IMApp() { instance_ = nullptr; }

    long returnToStart() override;
    void exitProgram() override;
    long startWithName(const std::wstring& name) override;
    IMControl* openSettings() override;
    virtual void init() {}
    void showStartScreen() override;
    virtual void showCompletionScreen();
    bool hasReport() const override { return report != nullptr; }
    long showPrintDialog() override;
    long showSaveAsDialog() override;
    long startAnotherRun() override { return runNextDialog(); }
    // Prints the report on the given printer under the exercise's number, title and pupil.
    bool printHeader(report::PrinterDeviceContext* dc);
    // The whole report written to `path` (empty: its own file); the report's own path stays.
    report::ReportSaveResult saveReportAs(const std::wstring& path);
    virtual void showPraiseScreen(IMControl*) {}
    virtual long showFinalPraise(int, int) { return 0; }
    virtual void showInstruction(IMContainer*) {}
    virtual long onKeyDown(const IMKeyboardEvent& e);
    // Ctrl+I (or Ctrl with numeric-keypad 9) on any screen: the credits page, once.
    virtual long onCreditsKey(const IMKeyboardEvent& e);

    void addDialog(const std::wstring& name, const DialogBuilder& builder);
    void setCurrentDialog(const std::wstring& name);
    long runNextDialog();
    long beginExercise();
    long onHelpKey(const IMKeyboardEvent& e);
    long showExitMenu();
    long closeExitMenu() override;
    void setInfo(const std::wstring& number, const std::wstring& title,
                 const std::wstring& description);
    long setPupilName(const std::wstring& name);
    // A non-empty name opens that pupil's report in the installation's report file; the report it
    // replaces is saved first. The report is saved again whenever the window closes.
    long createReport(const std::wstring& name);
    long saveReport();
    // Statistics rows reach the report; without a report they are dropped.
    void addReportRow(const std::wstring& label, const std::wstring& value,
                      const std::wstring& type);

    SettingsBuilder settingsBuilder;
    ExitMenu* exitMenu = nullptr;
    IMWindow* window = nullptr;
    std::wstring currentDialogName;
    std::map<std::wstring, DialogBuilder> dialogs;
    IMContainer* runningDialog = nullptr;
    IMConnection helpConnection;
    std::unique_ptr<report::SpreadsheetReport> report;
    std::wstring windowTitle;
    bool instructionShowing = false;
    int extraInstructionCalls = 0;
    bool creditsShowing = false;
    std::int64_t startTime = 0;
    std::wstring description;
    std::wstring title;
    std::wstring number;
    std::wstring pupilName;
    // A line for the teacher on the next start screen (a report file set aside); shown once.
    std::wstring startNotice;

protected:
    IMApp() = default;

private:
    long runNextDialogSlot(const IMEvent&) { return runNextDialog(); }
    long saveReportSlot(const IMEvent&) { return saveReport(); }
    // Tells the teacher what opening the report found when it was not a plain file.
    void reportOpenOutcome();

    IMConnection saveOnClose_;
    long onKeyDownSlot(const IMKeyboardEvent& e) { return onKeyDown(e); }
    long onCreditsKeySlot(const IMKeyboardEvent& e) { return onCreditsKey(e); }

    std::optional<boost::signals2::shared_connection_block> helpBlock_;

    static inline T* instance_ = nullptr;
    static inline int useCount_ = 0;
};

template <typename T> T* IMApp<T>::instance(const std::wstring& caption, bool windowed) {
    if (!instance_) {
        T* app = new T();
        instance_ = app;
        app->window =
            IMWindow::create(RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, nullptr, caption, windowed, nullptr);
        using boost::placeholders::_1;
        app->window->keyDown.connect(boost::bind(&IMApp::onHelpKey, app, _1));
        app->window->keyDown.connect(boost::bind(&IMApp::onKeyDownSlot, app, _1));
        app->window->keyDown.connect(boost::bind(&IMApp::onCreditsKeySlot, app, _1));
        app->windowTitle = caption;
        app->init();
        std::srand(static_cast<unsigned>(std::time(nullptr)));
    }
    ++useCount_;
    return instance_;
}

template <typename T> void IMApp<T>::releaseInstance() {
    if (useCount_ == 0 || --useCount_ > 0) return;
    T* app = instance_;
    if (!app) return;
    delete app->window;
    app->window = nullptr;
    app->report.reset();
    delete app;
}

template <typename T> void IMApp<T>::addDialog(const std::wstring& name, const DialogBuilder& builder) {
    if (name.empty()) return;
    dialogs.emplace(name, builder);
    if (currentDialogName.empty()) setCurrentDialog(name);
}

template <typename T> void IMApp<T>::setCurrentDialog(const std::wstring& name) {
    if (dialogs.count(name) != 0) currentDialogName = name;
}

template <typename T> void IMApp<T>::addReportRow(const std::wstring& label, const std::wstring& value,
                                                  const std::wstring& type) {
    if (report) report->addRow(toU16(label), toU16(value), toU16(type));
}

template <typename T> long IMApp<T>::runNextDialog() {
    if (!window || window->isLocked()) return 0;
    runningDialog = nullptr;
    platform::showCursor(true);
    if (!currentDialogName.empty()) {
        startTime = static_cast<std::int64_t>(currentTime());
        addReportRow(L"Время начала работы с упражнением",
                     formatStartTime(static_cast<std::time_t>(startTime)), L"String");
        extraInstructionCalls = 0;
        auto it = dialogs.find(currentDialogName);
        if (it != dialogs.end()) {
            auto* dialog = new IMContainer(window, std::nullopt, 0);
            runningDialog = dialog;
            dialog->setFocus(true);
            using boost::placeholders::_1;
            dialog->closed.connect(boost::bind(&IMApp::runNextDialogSlot, this, _1));
            auto next = std::next(it);
            currentDialogName = next == dialogs.end() ? std::wstring() : next->first;
            DialogBuilder builder = it->second;
            builder(dialog);
        }
    } else {
        addReportRow(L"Количество дополнительных вызовов инструкций",
                     std::to_wstring(extraInstructionCalls), L"Number");
        addReportRow(L"Общее время работы с упражнением. с.",
                     std::to_wstring(static_cast<std::int64_t>(currentTime()) - startTime),
                     L"Number");
        if (report) report->addEmptyRow();
        // The run is on disk at once: a lesson's results never wait for a clean exit.
        saveReport();
        showCompletionScreen();
    }
    return 0;
}

template <typename T> long IMApp<T>::beginExercise() {
    instructionShowing = true;
    auto* dialog = new IMContainer(window, std::nullopt, 0);
    using boost::placeholders::_1;
    window->keyDown.connect(boost::bind(&imapp_detail::closeInstructionOnKey, dialog,
                                        &instructionShowing, false, _1));
    dialog->closed.connect(boost::bind(&IMApp::runNextDialogSlot, this, _1));
    showInstruction(dialog);
    return 0;
}

template <typename T> long IMApp<T>::onHelpKey(const IMKeyboardEvent& e) {
    if (helpConnection.connected() && helpBlock_ && helpBlock_->blocking()) helpBlock_->unblock();
    if (instructionShowing || e.wParam != VK_F1) return 0;
    ++extraInstructionCalls;
    auto* dialog = new IMContainer(window, std::nullopt, 0);
    helpBlock_.reset();
    helpConnection.disconnect();
    using boost::placeholders::_1;
    helpConnection = window->keyDown.connect(boost::bind(&imapp_detail::closeInstructionOnKey,
                                                         dialog, &instructionShowing, true, _1));
    // The F1 press being delivered now must not close what it opens.
    helpBlock_.emplace(helpConnection);
    instructionShowing = true;
    showInstruction(dialog);
    return 0;
}

template <typename T> long IMApp<T>::onKeyDown(const IMKeyboardEvent& e) {
    if (e.wParam == VK_F12) showExitMenu();
    return 0;
}

template <typename T> long IMApp<T>::showExitMenu() {
    if (exitMenu) return 0;
    platform::showCursor(true);
    exitMenu = new ExitMenu(window, *this);
    return 0;
}

template <typename T> void IMApp<T>::exitProgram() {
    if (window) window->close();
}

template <typename T> long IMApp<T>::closeExitMenu() {
    if (exitMenu) {
        exitMenu->hide();
        exitMenu->close();
        exitMenu = nullptr;
    }
    return 0;
}

template <typename T> long IMApp<T>::returnToStart() {
    closeExitMenu();
    if (!runningDialog) return 1;
    runningDialog->close();
    currentDialogName = dialogs.empty() ? std::wstring() : dialogs.begin()->first;
    runningDialog = nullptr;
    showStartScreen();
    return 0;
}

template <typename T> void IMApp<T>::setInfo(const std::wstring& number_, const std::wstring& title_,
                                             const std::wstring& description_) {
    number = number_;
    title = title_;
    description = description_;
}

template <typename T> long IMApp<T>::setPupilName(const std::wstring& name) {
    pupilName = name;
    return 0;
}

template <typename T> void IMApp<T>::showStartScreen() {
    if (!window) return;
    // A screen of buttons and a name field: the cursor shows, whatever hid it before.
    platform::showCursorForButtons();
    new StartScreen(window, *this, StartScreen::Texts{number, title, description, startNotice});
    startNotice.clear();
}

template <typename T> long IMApp<T>::onCreditsKey(const IMKeyboardEvent& e) {
    const unsigned key = static_cast<unsigned>(e.wParam) & 0xFF;
    if (key != 0x49 && key != 0x69 && key != 0xD8 && key != 0xF8) return 0;
    if (!platform::isKeyDown(VK_CONTROL) || creditsShowing || !window) return 0;
    // The page has buttons: the cursor shows while it is open and returns to exactly the state
    // it was in (hidden with the drawn arrow in the slowed stage) when it closes.
    const int countBefore = platform::cursorDisplayCount();
    platform::showCursorForButtons();
    creditsShowing = true;
    auto* page = new CreditsScreen(window);
    page->closed.connect([this, countBefore](const IMEvent&) {
        platform::restoreCursorDisplayCount(countBefore);
        creditsShowing = false;
        return 0L;
    });
    return 0;
}

template <typename T> void IMApp<T>::showCompletionScreen() {
    if (!window) return;
    platform::showCursorForButtons();
    // The next run starts the sequence from its beginning.
    if (!dialogs.empty()) currentDialogName = dialogs.begin()->first;
    std::wstring footer = report ? L"Отчёт сохранён в файле " + fromU16(report->filePath())
                                 : L"Имя ученика не введено: отчёт не ведётся";
    auto* screen = new CompletionScreen(window, *this, CompletionScreen::Texts{number, title, pupilName, footer});
    screen->setFocus(true);
}

template <typename T> long IMApp<T>::showPrintDialog() {
    if (!report || !window) return 0;
    auto* dialog = new IMSelectPrinterDialog(window);
    dialog->setFocus(true);
    dialog->printButton->clicked.connect([this, dialog](const IMMouseEvent&) {
        auto dc = dialog->printerDC();
        if (!dc) {
            dialog->showProblem(L"Принтер недоступен: выберите другой или проверьте службу печати");
            return 0L;
        }
        if (!printHeader(dc.get())) {
            dialog->showProblem(L"Задание печати не принято принтером");
            return 0L;
        }
        dialog->close();
        return 0L;
    });
    return 0;
}

template <typename T> bool IMApp<T>::printHeader(report::PrinterDeviceContext* dc) {
    if (!report || !dc) return false;
    const report::PrintHeader header{
        {u"Номер ЦОР", toU16(number)}, {u"Название", toU16(title)}, {u"Ученик", toU16(pupilName)}};
    return report::printReport(*report, dc, header);
}

template <typename T> long IMApp<T>::showSaveAsDialog() {
    if (!report || !window) return 0;
    auto* dialog = new IMSaveAsDialog(window);
    dialog->nameField->setText(fromU16(report->filePath()));
    dialog->setFocus(true);
    dialog->saveButton->clicked.connect([this, dialog](const IMMouseEvent&) {
        const report::ReportSaveResult saved = saveReportAs(dialog->text());
        if (saved)
            dialog->close();
        else
            dialog->showProblem(fromU16(saved.reason));
        return 0L;
    });
    return 0;
}

template <typename T> report::ReportSaveResult IMApp<T>::saveReportAs(const std::wstring& path) {
    if (!report) return report::ReportSaveResult{report::ReportSaveResult::Kind::WriteFailed, false, u"Нет отчёта"};
    return report->save(toU16(path));
}

template <typename T> long IMApp<T>::startWithName(const std::wstring& name) {
    createReport(name);
    setPupilName(name);
    return beginExercise();
}

template <typename T> IMControl* IMApp<T>::openSettings() {
    if (!settingsBuilder || !window) return nullptr;
    IMControl* page = settingsBuilder(window);
    if (page) page->setFocus(true);
    return page;
}

template <typename T> long IMApp<T>::createReport(const std::wstring& name) {
    if (name.empty()) return 0;
    // The pupil before keeps every row: the file is written before it is opened for the next one.
    saveReport();
    const report::ReportFolder folder = report::findReportFolder();
    if (!folder.problem.empty()) std::fprintf(stderr, "tavrelo: %s\n", folder.problem.c_str());
    report = std::make_unique<report::SpreadsheetReport>(report::reportFilePath(folder.folder, toU16(windowTitle)),
                                                         report::sheetNameFor(toU16(name)));
    reportOpenOutcome();
    if (window && !saveOnClose_.connected()) {
        using boost::placeholders::_1;
        saveOnClose_ = window->closed.connect(boost::bind(&IMApp::saveReportSlot, this, _1));
    }
    return 0;
}

template <typename T> void IMApp<T>::reportOpenOutcome() {
    using Kind = report::ReportOpenOutcome::Kind;
    const report::ReportOpenOutcome& outcome = report->openOutcome();
    const std::string file = report::toUtf8(report->filePath());
    if (outcome.kind == Kind::DamagedSetAside) {
        std::fprintf(stderr, "tavrelo: the report %s could not be read; it was set aside as %s\n", file.c_str(),
                     report::toUtf8(outcome.setAsidePath).c_str());
        startNotice = L"Файл отчёта был повреждён и отложен: " +
                      fromU16(std::filesystem::path(outcome.setAsidePath).filename().u16string());
    } else if (outcome.kind == Kind::KeptUntouched) {
        std::fprintf(stderr, "tavrelo: the report %s could not be read and will not be overwritten: %s\n",
                     file.c_str(), report::toUtf8(outcome.message).c_str());
        startNotice = L"Файл отчёта не читается и не будет перезаписан: " +
                      fromU16(std::filesystem::path(report->filePath()).filename().u16string());
    }
}

template <typename T> long IMApp<T>::saveReport() {
    if (!report) return 0;
    const report::ReportSaveResult saved = report->save();
    if (!saved)
        std::fprintf(stderr, "tavrelo: the report %s was not saved: %s\n", report::toUtf8(report->filePath()).c_str(),
                     report::toUtf8(saved.reason).c_str());
    return 0;
}
