// The application object: the dialog sequence with its statistics rows, F1/Esc instruction
// handling and the F12 exit menu, on a real window and control tree.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <unistd.h>

#include "TimeAndLocaleScopes.h"
#include "app/IMApp.h"
#include "platform/Clock.h"
#include "support/ManualClock.h"
#include "platform/Cursor.h"
#include "platform/MessageQueue.h"
#include "window/IMResourceManager.h"

namespace {

class TestApp : public IMApp<TestApp> {
public:
    void showInstruction(IMContainer* dialog) override {
        ++instructions;
        lastInstruction = dialog;
    }
    void showCompletionScreen() override { ++completions; }
    void showStartScreen() override { ++startScreens; }
    int instructions = 0;
    int completions = 0;
    int startScreens = 0;
    IMContainer* lastInstruction = nullptr;
};

class Application : public ::testing::Test {
protected:
    Application() : clockScope(clock) {
        setTimeSource([this] { return now; });
        app = TestApp::instance(L"00061 Упражнение «Tavrelo»");
        dir = std::filesystem::temp_directory_path() /
              ("tavrelo-app-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        app->report = std::make_unique<report::SpreadsheetReport>(
            toU16((dir / "report.xls").wstring()), u"Иванов");
        app->addDialog(L"Dialog1", [this](IMContainer* d) {
            built.push_back(d);
            return 0L;
        });
    }
    ~Application() override {
        TestApp::releaseInstance();
        setTimeSource(nullptr);
        platform::discardMessages();
        std::filesystem::remove_all(dir);
    }

    void update() {
        for (int i = 0; i < 3; ++i) app->window->onUpdate(IMEvent(app->window, IM_MSG_CLOSE));
    }
    void key(WPARAM vk) {
        app->window->handleMessage(platform::NativeMessage{WM_KEYDOWN, vk, 1, 0, 0});
        update();
    }
    void click(int x, int y) {
        app->window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, x, y});
        app->window->handleMessage(platform::NativeMessage{WM_LBUTTONDOWN, MK_LBUTTON, 0, x, y});
        app->window->handleMessage(platform::NativeMessage{WM_LBUTTONUP, 0, 0, x, y});
        update();
    }
    std::vector<std::vector<std::u16string>> rows() { return app->report->tableRows().value(); }

    platform::ManualClock clock;
    platform::ScopedClock clockScope;
    std::time_t now = 1'765'000'000;
    TestApp* app = nullptr;
    std::filesystem::path dir;
    std::vector<IMContainer*> built;
};

TEST_F(Application, InstanceIsSharedAndCounted) {
    EXPECT_EQ(TestApp::instance(L"other"), app);
    EXPECT_EQ(TestApp::useCount(), 2);
    EXPECT_EQ(app->windowTitle, L"00061 Упражнение «Tavrelo»");
    TestApp::releaseInstance();
    EXPECT_EQ(TestApp::current(), app) << "still in use once";
}

TEST_F(Application, DialogRegistrationKeepsTheFirstBuilderAndTheFirstName) {
    app->addDialog(L"", [](IMContainer*) { return 0L; });
    app->addDialog(L"Dialog0", [](IMContainer*) { return 0L; });
    app->addDialog(L"Dialog1", [](IMContainer*) { return 5L; });
    EXPECT_EQ(app->dialogs.size(), 2u);
    EXPECT_EQ(app->currentDialogName, L"Dialog1") << "later registrations keep the current name";
    EXPECT_EQ(app->dialogs[L"Dialog1"](nullptr), 0) << "the first builder stays";
    app->setCurrentDialog(L"nope");
    EXPECT_EQ(app->currentDialogName, L"Dialog1");
}

TEST_F(Application, StartEscapeRunsTheExerciseThenRecordsTheStatistics) {
    // The rows keep their form under a Russian process locale.
    ScopedGlobalLocale russian("ru_RU.UTF-8");
    ASSERT_TRUE(russian.active());
    ScopedTimeZone zone("UTC0");
    app->beginExercise();
    EXPECT_TRUE(app->instructionShowing);
    EXPECT_EQ(app->instructions, 1);
    update();
    key(VK_ESCAPE);
    EXPECT_FALSE(app->instructionShowing);
    ASSERT_EQ(built.size(), 1u) << "closing the instruction runs Dialog1";
    EXPECT_EQ(app->runningDialog, built[0]);
    EXPECT_TRUE(app->currentDialogName.empty());
    EXPECT_TRUE(built[0]->hasFocus());

    key(VK_F1);
    EXPECT_EQ(app->extraInstructionCalls, 1);
    key(VK_SPACE); // closes the F1 instruction
    now += 95;
    built[0]->close();
    update();
    EXPECT_EQ(app->completions, 1);
    EXPECT_EQ(app->runningDialog, nullptr);
    auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_TRUE(r[3].empty()) << "an empty row closes the run";
    EXPECT_EQ(r[0], (std::vector<std::u16string>{u"Время начала работы с упражнением",
                                                  u"06-December-2025 05:46"}));
    EXPECT_EQ(r[1], (std::vector<std::u16string>{u"Количество дополнительных вызовов инструкций", u"1"}));
    EXPECT_EQ(r[2], (std::vector<std::u16string>{u"Общее время работы с упражнением. с.", u"95"}));
}

TEST_F(Application, F1OpensOnceAndTheNextKeyClosesIt) {
    key(VK_F1);
    EXPECT_EQ(app->instructions, 1);
    ASSERT_NE(app->lastInstruction, nullptr);
    EXPECT_TRUE(app->instructionShowing) << "the opening F1 press does not close it";
    key(VK_F1);
    EXPECT_EQ(app->instructions, 1) << "F1 while an instruction shows does nothing";
    EXPECT_FALSE(app->instructionShowing) << "but, being a key, it closes the instruction";
    EXPECT_EQ(app->extraInstructionCalls, 1);
    key(VK_F1);
    EXPECT_EQ(app->instructions, 2);
    EXPECT_EQ(app->extraInstructionCalls, 2);
}

TEST_F(Application, UnregisteredDialogEndsTheSequenceQuietly) {
    app->currentDialogName = L"missing";
    app->runNextDialog();
    update();
    EXPECT_TRUE(built.empty());
    EXPECT_EQ(app->completions, 0);
    EXPECT_EQ(rows().size(), 1u) << "only the start-time row";
}

TEST_F(Application, RowsAreDroppedWithoutAReport) {
    app->report.reset();
    app->runNextDialog();
    update();
    ASSERT_EQ(built.size(), 1u);
}

TEST_F(Application, ExitMenuVeilsTheScreenAndCancelClosesOnlyTheMenu) {
    // A white screen under the menu shows how much the veil darkens it.
    app->window->createPicture(0, 0, L"EditBarBackGround", 0)->setRect(RECT{0, 0, 800, 600});
    update();
    const int cursorBefore = platform::cursorDisplayCount();
    key(VK_F12);
    ASSERT_NE(app->exitMenu, nullptr);
    IMContainer* menu = app->exitMenu;
    EXPECT_EQ(platform::cursorDisplayCount(), cursorBefore + 1);
    key(VK_F12);
    EXPECT_EQ(app->exitMenu, menu) << "F12 while open does nothing";
    EXPECT_EQ(platform::cursorDisplayCount(), cursorBefore + 1);

    app->window->render();
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(resourceManager()->readPixels(RECT{5, 5, 6, 6}, px));
    // The veil is the black caret picture at alpha 0x4B: white becomes 255 * (255 - 0x4B) / 255.
    for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>((px[0] >> shift) & 0xFF), 255 - 0x4B, 3);

    click(332 + 10 + 50, 200 + 140 + 20); // Cancel
    EXPECT_EQ(app->exitMenu, nullptr);
    platform::NativeMessage m;
    while (platform::peekMessage(m)) EXPECT_NE(m.message, WM_QUIT) << "the program goes on";
}

TEST_F(Application, RetryDuringARunRecordsTheRunAndShowsTheStartScreen) {
    app->runNextDialog();
    update();
    ASSERT_EQ(built.size(), 1u);
    key(VK_F12);
    click(332 + 10 + 50, 200 + 20 + 20); // Retry
    EXPECT_EQ(app->exitMenu, nullptr);
    EXPECT_EQ(app->completions, 1);
    EXPECT_EQ(app->startScreens, 1);
    EXPECT_EQ(app->currentDialogName, L"Dialog1");
    EXPECT_EQ(rows().size(), 4u);

    key(VK_F12);
    click(332 + 10 + 50, 200 + 20 + 20); // Retry with nothing running only closes the menu
    EXPECT_EQ(app->startScreens, 1);
    EXPECT_EQ(app->exitMenu, nullptr);
}

TEST_F(Application, CloseInTheExitMenuEndsTheProgram) {
    platform::discardMessages();
    key(VK_F12);
    click(332 + 10 + 50, 200 + 80 + 20); // Close
    EXPECT_FALSE(app->window->pumpOnce());
}

} // namespace

namespace {

// The rows of the pupil's sheet as the file on disk holds them now.
std::vector<std::vector<std::u16string>> rowsOnDisk(const std::filesystem::path& file) {
    report::SpreadsheetReport reread(toU16(file.wstring()), u"Иванов");
    return reread.tableRows().value_or(std::vector<std::vector<std::u16string>>{});
}

std::string contentsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

} // namespace

TEST_F(Application, EachRunIsOnDiskAsSoonAsItEndsWithoutWaitingForTheWindowToClose) {
    const std::filesystem::path file = dir / "report.xls";
    for (int run = 1; run <= 2; ++run) {
        app->setCurrentDialog(L"Dialog1");
        app->runNextDialog();
        update();
        ASSERT_EQ(built.size(), static_cast<std::size_t>(run));
        built.back()->close();
        update();
        EXPECT_EQ(rowsOnDisk(file).size(), 4u * static_cast<std::size_t>(run)) << "after run " << run;
    }
}

TEST_F(Application, SaveAsWritesTheWholeReportOrSaysWhyAndLeavesTheOwnFileAlone) {
    const std::filesystem::path own = dir / "report.xls";
    app->runNextDialog();
    update();
    built.back()->close();
    update();
    const std::string ownBefore = contentsOf(own);
    ASSERT_FALSE(ownBefore.empty());

    const std::filesystem::path copy = dir / "copy of the report.xls";
    EXPECT_TRUE(app->saveReportAs(copy.wstring()));
    EXPECT_EQ(rowsOnDisk(copy).size(), 4u);

    const std::filesystem::path readOnly = dir / "read-only";
    std::filesystem::create_directories(readOnly);
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    struct Case {
        const char* name;
        std::filesystem::path path;
    };
    const Case failing[] = {{"a folder that does not exist", dir / "no such folder" / "r.xls"},
                            {"a read-only folder", readOnly / "r.xls"},
                            {"a folder that is a file", own / "r.xls"}};
    for (const Case& c : failing) {
        if (c.path.parent_path() == readOnly && ::geteuid() == 0) continue; // root writes anywhere
        const report::ReportSaveResult saved = app->saveReportAs(c.path.wstring());
        EXPECT_FALSE(saved) << c.name;
        EXPECT_FALSE(saved.reason.empty()) << c.name << ": the dialog has a reason to show";
        EXPECT_FALSE(std::filesystem::exists(c.path)) << c.name;
    }
    EXPECT_EQ(contentsOf(own), ownBefore) << "the report's own file is untouched";
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}
