// From the start screen into the exercise and out again: the report the Start opens in the
// user's data folder, what is written when the window closes, a second pupil and the same pupil
// again, and a damaged report file told to the teacher.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/IMApp.h"
#include "platform/MessageQueue.h"
#include "report/AtomicFile.h"
#include "support/ManualClock.h"

namespace {

namespace fs = std::filesystem;

class FlowApp : public IMApp<FlowApp> {
public:
    void showInstruction(IMContainer*) override { ++instructions; }
    void showCompletionScreen() override {}
    int instructions = 0;
};

class StartFlow : public ::testing::Test {
protected:
    StartFlow() : clockScope(clock) {
        dir = fs::temp_directory_path() / ("tavrelo-flow-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        if (const char* old = std::getenv("XDG_DATA_HOME")) savedXdg = old;
        ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
        app = FlowApp::instance(L"00061 Упражнение «Tavrelo»");
        app->addDialog(L"Dialog1", [](IMContainer*) { return 0L; });
    }
    ~StartFlow() override {
        if (FlowApp::current()) FlowApp::releaseInstance();
        platform::discardMessages();
        if (savedXdg) ::setenv("XDG_DATA_HOME", savedXdg->c_str(), 1); else ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(dir);
    }

    void update() {
        for (int i = 0; i < 3; ++i) app->window->onUpdate(IMEvent(app->window, IM_MSG_CLOSE));
    }
    void send(std::uint32_t message, WPARAM wParam) {
        app->window->handleMessage(platform::NativeMessage{message, wParam, 0, 0, 0});
    }
    // Types the name on a fresh start screen and presses Enter.
    void startAs(const std::wstring& name) {
        app->showStartScreen();
        update();
        for (wchar_t c : name) send(WM_CHAR, static_cast<WPARAM>(c));
        send(WM_KEYDOWN, VK_RETURN);
        update();
    }
    fs::path reportFile() const { return dir / "KVAD" / "00061 Упражнение «Tavrelo».xls"; }
    std::string onDisk() const { return report::readWholeFile(reportFile(), nullptr).value_or(""); }
    void closeWindow() {
        app->window->close();
        FlowApp::releaseInstance();
    }
    static std::size_t count(const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }

    platform::ManualClock clock;
    platform::ScopedClock clockScope;
    FlowApp* app = nullptr;
    fs::path dir;
    std::optional<std::string> savedXdg;
};

TEST_F(StartFlow, EnterOpensThePupilsReportAndBeginsTheExercise) {
    startAs(L"Иванов Петя");
    EXPECT_EQ(app->pupilName, L"Иванов Петя");
    EXPECT_EQ(app->instructions, 1);
    ASSERT_NE(app->report, nullptr);
    EXPECT_EQ(fs::path(app->report->filePath()), reportFile());
    EXPECT_TRUE(fs::is_directory(dir / "KVAD")) << "the folder is made at the Start";
    EXPECT_TRUE(app->window->children().empty() || app->window->children().begin()->second.size() == 1)
        << "only the instruction is left";
    closeWindow();
    const std::string file = onDisk();
    EXPECT_NE(file.find("ss:Name=\"Иванов Петя\""), std::string::npos) << file;
}

TEST_F(StartFlow, AnEmptyNameRunsWithoutAReport) {
    startAs(L"");
    EXPECT_EQ(app->instructions, 1);
    EXPECT_EQ(app->report, nullptr);
    closeWindow();
    EXPECT_FALSE(fs::exists(reportFile()));
}

TEST_F(StartFlow, TheFirstPupilsRowsSurviveASecondPupil) {
    startAs(L"Первый");
    app->addReportRow(L"строка первого", L"1", L"Number");
    startAs(L"Второй");
    app->addReportRow(L"строка второго", L"2", L"Number");
    closeWindow();
    const std::string file = onDisk();
    EXPECT_NE(file.find("строка первого"), std::string::npos) << file;
    EXPECT_NE(file.find("строка второго"), std::string::npos);
    EXPECT_LT(file.find("ss:Name=\"Первый\""), file.find("ss:Name=\"Второй\""));
}

TEST_F(StartFlow, TheSamePupilAgainAppendsToTheOneSheet) {
    startAs(L"Петя");
    app->addReportRow(L"первый раз", L"1", L"Number");
    startAs(L"Петя");
    app->addReportRow(L"второй раз", L"2", L"Number");
    closeWindow();
    const std::string file = onDisk();
    EXPECT_EQ(count(file, "<Worksheet"), 1u) << file;
    EXPECT_LT(file.find("первый раз"), file.find("второй раз"));
}

TEST_F(StartFlow, ADamagedReportIsToldOnStderrAndOnTheNextStartScreen) {
    fs::create_directories(dir / "KVAD");
    std::ofstream(reportFile()) << "<Workbook><Worksheet"; // cut off mid-tag
    testing::internal::CaptureStderr();
    startAs(L"Петя");
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(app->report, nullptr);
    const auto& outcome = app->report->openOutcome();
    ASSERT_EQ(outcome.kind, report::ReportOpenOutcome::Kind::DamagedSetAside);
    EXPECT_NE(said.find(report::toUtf8(outcome.setAsidePath)), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(fs::path(outcome.setAsidePath)));
    ASSERT_FALSE(app->startNotice.empty());

    app->showStartScreen();
    update();
    EXPECT_TRUE(app->startNotice.empty()) << "shown once";
    auto* screen = dynamic_cast<StartScreen*>(app->window->children().rbegin()->second.back());
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(screen->noticeText, nullptr);
    EXPECT_NE(screen->noticeText->getText().find(fromU16(fs::path(outcome.setAsidePath).filename().u16string())),
              std::wstring::npos);
}

TEST_F(StartFlow, ExitFromTheStartScreenEndsTheProgramAndWritesAnEarlierPupil) {
    startAs(L"Петя");
    app->addReportRow(L"строка", L"1", L"Number");
    app->showStartScreen(); // back at the start, as after a Retry
    update();
    app->window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, 765, 32});
    app->window->handleMessage(platform::NativeMessage{WM_LBUTTONDOWN, MK_LBUTTON, 0, 765, 32});
    app->window->handleMessage(platform::NativeMessage{WM_LBUTTONUP, 0, 0, 765, 32});
    bool quit = false;
    platform::NativeMessage m;
    while (platform::peekMessage(m)) quit = quit || m.message == WM_QUIT;
    EXPECT_TRUE(quit) << "the loop is asked to end";
    EXPECT_NE(onDisk().find("строка"), std::string::npos) << "written on the way out";
}

} // namespace

namespace {

TEST_F(StartFlow, WithoutADataFolderTheReportGoesToTheCurrentDirectoryWithOneLineSaid) {
    fs::create_directories(dir / "cwd");
    std::ofstream(dir / "file") << "not a folder";
    ::setenv("XDG_DATA_HOME", (dir / "file").c_str(), 1);
    const fs::path before = fs::current_path();
    fs::current_path(dir / "cwd");
    testing::internal::CaptureStderr();
    startAs(L"Петя");
    const std::string said = testing::internal::GetCapturedStderr();
    closeWindow();
    fs::current_path(before);
    EXPECT_EQ(count(said, "\n"), 1u) << said;
    EXPECT_NE(said.find("current directory"), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(dir / "cwd" / "00061 Упражнение «Tavrelo».xls"));
}

} // namespace
