// The start screen on a real window: every element group where it should be, the description
// box scrolling, and Start, Enter, Settings and Exit reaching the application once each.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "exercise/App.h"
#include "exercise/Options.h"
#include "screens/ScreenHost.h"
#include "screens/ScreenParts.h"
#include "screens/SettingsPage.h"
#include "screens/StartScreen.h"
#include "resources/TextureRegistry.h"
#include "ScreenTestSupport.h"

namespace {

// The application as the screen sees it, recording what was asked of it.
class RecordingHost : public ScreenHost {
public:
    explicit RecordingHost(IMContainer* window) : window_(window) {}
    long returnToStart() override { return 0; }
    void exitProgram() override { ++exits; }
    long closeExitMenu() override { return 0; }
    long startWithName(const std::wstring& name) override {
        started.push_back(name);
        if (onStart) onStart();
        return 0;
    }
    IMControl* openSettings() override {
        settingsPage = new SettingsPage(window_, options);
        settingsPage->setFocus(true);
        return settingsPage;
    }

    std::vector<std::wstring> started;
    std::function<void()> onStart;
    int exits = 0;
    Options options;
    SettingsPage* settingsPage = nullptr;

private:
    IMContainer* window_;
};

class StartScreenTest : public ScreenFixture {
protected:
    StartScreen* build(const std::wstring& description = App::exerciseDescription, const std::wstring& notice = {}) {
        screen = new StartScreen(window, host, StartScreen::Texts{L"00061", L"Упражнение «Tavrelo»", description, notice});
        settle();
        return screen;
    }
    RECT onScreen(IMControl* c) {
        RECT r = c->getRect();
        for (IMContainer* p = c->getParent(); p && p != window; p = p->getParent()) {
            const RECT pr = p->getRect();
            r = RECT{r.left + pr.left, r.top + pr.top, r.right + pr.left, r.bottom + pr.top};
        }
        return r;
    }

    RecordingHost host{window};
    StartScreen* screen = nullptr;
};

TEST_F(StartScreenTest, EveryElementGroupIsWhereItShouldBe) {
    build();
    EXPECT_EQ(screen->nameField->getRect(), (RECT{135, 460, 655, 480}));
    EXPECT_EQ(screen->viewport->getRect(), (RECT{119, 187, 712, 423}));
    EXPECT_EQ(screen->scroll->getRect(), (RECT{712, 187, 726, 427}));
    EXPECT_EQ(screen->startButton->getRect().left, 690);
    EXPECT_EQ(screen->startButton->getRect().top, 450);
    EXPECT_EQ(screen->exitButton->getRect().left, 755);
    EXPECT_EQ(screen->exitButton->getRect().top, 22);
    EXPECT_EQ(screen->settingsButton->getRect().left, 665);
    EXPECT_EQ(screen->settingsButton->getRect().top, 510);
    EXPECT_EQ(screen->noticeText, nullptr);

    const auto px = grab();
    const auto text = screens::captionColour;
    // Captions, values, the description and the legends: dark blue text in each rectangle.
    const RECT texts[] = {{360, 10, 440, 28},  {340, 35, 460, 57},  {30, 115, 130, 135}, {135, 115, 200, 135},
                          {30, 152, 130, 172}, {135, 152, 300, 172}, {30, 188, 115, 208}, {119, 187, 400, 210},
                          {119, 400, 400, 423}, {30, 460, 100, 480}, {30, 520, 110, 540}, {180, 520, 330, 538},
                          {395, 520, 540, 538}, {600, 520, 650, 538}};
    for (const RECT& r : texts) EXPECT_GT(countNear(px, r, text), 8) << r.left << "," << r.top;
    // The background between the groups holds no text.
    EXPECT_EQ(countNear(px, RECT{300, 70, 700, 105}, text), 0);
    EXPECT_EQ(countNear(px, RECT{30, 560, 650, 595}, text), 0);
    // The name field is white inside its frame; the buttons are not the background.
    EXPECT_EQ(countNear(px, RECT{140, 463, 650, 477}, 0xFFFFFFFF, 8), 510 * 14 - countNear(px, RECT{140, 463, 650, 477}, 0xFF000000, 100));
    for (const POINT p : {POINT{730, 470}, POINT{765, 32}, POINT{720, 530}, POINT{150, 527}})
        EXPECT_NE(at(px, p.x, p.y) & 0xFFFFFF, at(px, 20, 580) & 0xFFFFFF) << p.x << "," << p.y;
    // The given description is taller than the box: the bar shows, and no text passes the box.
    EXPECT_FALSE(screen->scroll->isHidden());
    EXPECT_GT(countNear(px, RECT{712, 190, 726, 420}, at(px, 20, 580), 4), 0) << "bar drawn";
    EXPECT_EQ(countNear(px, RECT{119, 424, 712, 455}, text), 0) << "the rest of the text is clipped away";
}

TEST_F(StartScreenTest, AShortDescriptionHidesTheBar) {
    build(L"Коротко.");
    EXPECT_TRUE(screen->scroll->isHidden());
    const auto px = grab();
    EXPECT_EQ(countNear(px, RECT{712, 187, 726, 427}, at(px, 20, 580), 3), 14 * 240) << "nothing drawn there";
    build(L"");
    EXPECT_EQ(screen->page->getHeight(), 235) << "an empty text gives the page its fallback height";
    EXPECT_TRUE(screen->scroll->isHidden());
}

TEST_F(StartScreenTest, ScrollingToTheEndShowsTheLastLineAtTheBottom) {
    build();
    const int pageHeight = screen->page->getHeight();
    ASSERT_GT(pageHeight, 236);
    screen->scroll->setPosition(100000);
    settle();
    EXPECT_EQ(screen->page->getRect().top, 236 - pageHeight);
    const RECT lastLine = screen->descriptionText->glyphRectAt(screen->descriptionText->glyphCount() - 1);
    EXPECT_EQ(onScreen(screen->page).top + lastLine.bottom, 423 - (pageHeight - lastLine.bottom))
        << "the text's last row at the viewport's bottom";
    const auto px = grab();
    EXPECT_GT(countNear(px, RECT{119, 400, 712, 423}, screens::captionColour), 8) << "the last line drawn";
}

TEST_F(StartScreenTest, TheWheelScrollsByTheArrowStep) {
    build();
    const int step = screen->scroll->pageSize / 10;
    const auto wheel = [&](int notches) {
        send(WM_MOUSEMOVE, 0, 300, 300);
        send(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(notches * 120)) << 16, 300, 300);
        settle();
    };
    wheel(-2);
    EXPECT_EQ(screen->scroll->position(), 2 * step);
    EXPECT_EQ(screen->page->getRect().top, -2 * step);
    wheel(1);
    EXPECT_EQ(screen->scroll->position(), step);
    wheel(5);
    EXPECT_EQ(screen->scroll->position(), 0) << "held at the top";
}

TEST_F(StartScreenTest, EnterThenStartStartsOnceWithTheTypedName) {
    build();
    type(L"Иванов");
    EXPECT_EQ(screen->nameField->getText(), L"Иванов") << "the name field has the focus";
    send(WM_KEYDOWN, VK_RETURN);
    send(WM_CHAR, VK_RETURN);
    send(WM_KEYUP, VK_RETURN);
    click(730, 470);
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], L"Иванов");
    settle();
    EXPECT_TRUE(window->children().empty()) << "the screen closed";
}

// The run's first screen (the instruction with its full-screen clip) is built as Start is pressed,
// while this screen only goes at the next update pass: by then its background is no longer held.
TEST_F(StartScreenTest, TheBackgroundIsLetGoBeforeTheRunBegins) {
    build();
    TextureRegistry* registry = textureRegistry();
    ASSERT_NE(registry, nullptr);
    const TextureHandle background = registry->findTexture(L"DefaultBackGround");
    ASSERT_NE(background, registry->invalidHandle());
    const int heldWhileShown = registry->entry(background).refCount;
    int heldAtStart = -1;
    host.onStart = [&] { heldAtStart = registry->entry(background).refCount; };
    send(WM_KEYDOWN, VK_RETURN);
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(heldAtStart, heldWhileShown - 1);
}

TEST_F(StartScreenTest, TheStartButtonStartsWithAnEmptyName) {
    build();
    click(730, 470);
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], L"");
}

TEST_F(StartScreenTest, SettingsKeepTheTypedNameAndGiveTypingBack) {
    build();
    type(L"Петя");
    click(720, 530);
    ASSERT_NE(host.settingsPage, nullptr);
    type(L"1");
    EXPECT_EQ(host.settingsPage->fields[0]->getText(), L"41") << "typing goes to the page";
    host.settingsPage->fields[0]->setText(L"4");
    click(650, 560); // Submit
    settle();
    EXPECT_TRUE(host.started.empty());
    type(L"!");
    EXPECT_EQ(screen->nameField->getText(), L"Петя!");
}

TEST_F(StartScreenTest, ExitAsksTheApplicationToEnd) {
    build();
    click(765, 32);
    EXPECT_EQ(host.exits, 1);
    EXPECT_TRUE(host.started.empty());
}

TEST_F(StartScreenTest, ANoticeForTheTeacherShowsAboveTheName) {
    build(App::exerciseDescription, L"Файл отчёта был повреждён");
    ASSERT_NE(screen->noticeText, nullptr);
    const RECT r = screen->noticeText->getRect();
    EXPECT_GT(r.top, 427);
    EXPECT_LE(r.bottom, 460);
    const auto px = grab();
    EXPECT_GT(countNear(px, r, 0xFFB00000), 8);
}

} // namespace
