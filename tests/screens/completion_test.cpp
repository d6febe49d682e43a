// The end of a run: the completion screen's buttons and keys, the save-as dialog's path field and
// its failure line, and the praise's choice.

#include <gtest/gtest.h>

#include "ScreenTestSupport.h"
#include "screens/CompletionHost.h"
#include "screens/CompletionScreen.h"
#include "screens/IMSaveAsDialog.h"
#include "screens/PraiseScreen.h"

namespace {

class RecordingHost : public CompletionHost {
public:
    bool hasReport() const override { return report; }
    long showPrintDialog() override { return ++prints; }
    long showSaveAsDialog() override { return ++saves; }
    long startAnotherRun() override { return ++runs; }
    void showStartScreen() override { ++startScreens; }
    void exitProgram() override { ++exits; }

    bool report = true;
    int prints = 0;
    int saves = 0;
    int runs = 0;
    int startScreens = 0;
    int exits = 0;
};

class CompletionTest : public ScreenFixture {
protected:
    CompletionScreen* build(bool withReport) {
        host.report = withReport;
        screen = new CompletionScreen(window, host, CompletionScreen::Texts{L"00061", L"Упражнение «Tavrelo»",
                                                                            L"Иванова Маша", L"Отчёт сохранён"});
        screen->setFocus(true);
        settle();
        return screen;
    }
    static POINT centreOf(IMControl* c) {
        const RECT r = c->getRect();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void clickOn(IMControl* c) {
        const POINT p = centreOf(c);
        click(p.x, p.y);
    }

    RecordingHost host;
    CompletionScreen* screen = nullptr;
};

TEST_F(CompletionTest, WithAReportPrintAndSaveAsReachTheApplication) {
    build(true);
    EXPECT_EQ(screen->printButton->getRect().left, 30);
    EXPECT_EQ(screen->saveAsButton->getRect().left, 128);
    EXPECT_EQ(screen->retryButton->getRect().left, 535);
    EXPECT_EQ(screen->closeButton->getRect().left, 660);
    clickOn(screen->printButton);
    clickOn(screen->saveAsButton);
    EXPECT_EQ(host.prints, 1);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(CompletionTest, WithoutAReportPrintAndSaveAsAreGreyAndInert) {
    build(false);
    for (auto* button : {screen->printButton, screen->saveAsButton}) {
        EXPECT_FALSE(button->isEnabled());
        EXPECT_EQ(button->color, CompletionScreen::greyedColour);
        clickOn(button);
    }
    EXPECT_EQ(host.prints, 0);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(CompletionTest, EnterStartsAnotherRunOnceAndTheScreenCloses) {
    build(true);
    int closings = 0;
    screen->closed.connect([&](const IMEvent&) { return long(++closings); });
    pressKey(VK_SPACE);
    EXPECT_EQ(host.runs, 0) << "other keys are ignored";
    pressKey(VK_RETURN);
    pressKey(VK_RETURN);
    EXPECT_EQ(host.runs, 1);
    EXPECT_EQ(closings, 1);
}

TEST_F(CompletionTest, RetryBringsTheStartScreenAndCloseAndExitEndTheProgram) {
    build(true);
    clickOn(screen->closeButton);
    clickOn(screen->exitButton);
    EXPECT_EQ(host.exits, 2);
    clickOn(screen->retryButton);
    EXPECT_EQ(host.startScreens, 1);
}

TEST_F(CompletionTest, TheSaveAsFieldTakesTypingAndAFailureStaysOnTheDialog) {
    auto* dialog = new IMSaveAsDialog(window);
    dialog->nameField->setText(L"/tmp/report.xls");
    dialog->setFocus(true); // the dialog hands the focus on to its field
    settle();
    EXPECT_EQ(dialog->getRect(), IMSaveAsDialog::place);
    type(L"x");
    EXPECT_EQ(dialog->text(), L"/tmp/report.xlsx") << "typing goes to the path field";
    dialog->showProblem(L"Папка не найдена");
    ASSERT_NE(dialog->problem, nullptr);
    dialog->showProblem(L"Нет доступа к папке");
    settle();
    int lines = 0;
    for (const auto& [layer, children] : dialog->children())
        for (IMControl* child : children) lines += dynamic_cast<IMStaticPictureBase<IMTextView>*>(child) != nullptr;
    EXPECT_EQ(lines, 1) << "one line: the latest reason";
    int closings = 0;
    dialog->closed.connect([&](const IMEvent&) { return long(++closings); });
    const POINT close = centreOf(dialog->closeButton);
    click(IMSaveAsDialog::place.left + close.x, IMSaveAsDialog::place.top + close.y);
    EXPECT_EQ(closings, 1);
}

TEST(PraiseChoice, EachFifthOfTheGeneratorsRangePicksOnePraise) {
    const std::pair<int, int> cases[] = {{0, 0},     {6553, 0},  {6554, 1},  {13107, 1}, {13108, 2},
                                         {19660, 2}, {19661, 3}, {26214, 3}, {26215, 4}, {32767, 4}};
    for (const auto& [random, index] : cases) EXPECT_EQ(PraiseScreen::praiseIndex(random), index) << random;
}

} // namespace
