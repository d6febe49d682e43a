// The scroll bar's geometry, clicks, auto-repeat and slider drag; the list's selection.

#include "TextTestSupport.h"
#include "gui/IMList.h"
#include "gui/IMScroll.h"

namespace {

class ScrollTest : public TextFixture {
protected:
    IMScroll* makeBar(const RECT& r = RECT{100, 50, 116, 250}) {
        auto* bar = new IMScroll(dialog, &r);
        bar->scrolled.connect([this](const IMEvent& e, int p) {
            EXPECT_EQ(e.message, 0u);
            emitted.push_back(p);
            return 0L;
        });
        update();
        return bar;
    }
    static void pressPart(IMControl* part, std::uint32_t message, WPARAM flags) {
        part->onMouseButton(IMMouseEvent(nullptr, message, flags, 0, 0));
    }
    void moveMouse(int x, int y) { window->onMouseMove(IMMouseEvent(window, WM_MOUSEMOVE, 0, x, y)); }

    std::vector<int> emitted;
};

TEST_F(ScrollTest, InitialGeometryOfA16By200Bar) {
    IMScroll* bar = makeBar();
    EXPECT_EQ(bar->upButton()->getRect(), (RECT{0, 0, 16, 16}));
    EXPECT_EQ(bar->downButton()->getRect(), (RECT{0, 184, 16, 200}));
    EXPECT_EQ(bar->slider()->getRect(), (RECT{0, 16, 16, 32})); // 168 * 10 / 100 = 16
    EXPECT_EQ(bar->trackDown()->getRect(), (RECT{0, 32, 16, 184}));
    EXPECT_EQ(bar->trackUp()->getRect().top, 16);
}

TEST_F(ScrollTest, DefaultBarRunsAlongTheParentsRightEdge) {
    auto* bar = new IMScroll(dialog, nullptr);
    EXPECT_EQ(bar->getRect(), (RECT{784, 0, 800, 600}));
}

TEST_F(ScrollTest, ClicksOnArrowsAndTracks) {
    IMScroll* bar = makeBar();
    pressPart(bar->downButton(), WM_LBUTTONDOWN, MK_LBUTTON);
    pressPart(bar->downButton(), WM_LBUTTONUP, 0);
    EXPECT_EQ(bar->position(), 1);
    EXPECT_EQ(emitted, std::vector<int>{1});
    EXPECT_EQ(bar->slider()->getRect().top, 16 + 168 * 1 / 100);

    pressPart(bar->trackDown(), WM_LBUTTONDOWN, MK_LBUTTON);
    pressPart(bar->trackDown(), WM_LBUTTONUP, 0);
    EXPECT_EQ(bar->position(), 11);
    bar->setPosition(85);
    pressPart(bar->trackDown(), WM_LBUTTONDOWN, MK_LBUTTON);
    pressPart(bar->trackDown(), WM_LBUTTONUP, 0);
    EXPECT_EQ(bar->position(), 90) << "clamped to max - page";
    pressPart(bar->trackUp(), WM_LBUTTONDOWN, MK_LBUTTON);
    pressPart(bar->trackUp(), WM_LBUTTONUP, 0);
    EXPECT_EQ(bar->position(), 80);
    EXPECT_EQ(bar->slider()->getRect(), (RECT{0, 16 + 168 * 80 / 100, 16, 16 + 168 * 80 / 100 + 16}));

    emitted.clear();
    bar->setPosition(80);
    bar->setPosition(-5);
    bar->setPosition(-7);
    EXPECT_EQ(emitted, std::vector<int>{0}) << "the same position emits nothing";
}

TEST_F(ScrollTest, HoldingAnArrowRepeatsAfter500AndThenEvery50Ms) {
    IMScroll* bar = makeBar();
    bar->setPosition(50);
    emitted.clear();
    pressPart(bar->upButton(), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(bar->position(), 49);
    advance(490);
    EXPECT_EQ(bar->position(), 49);
    advance(10);
    EXPECT_EQ(bar->position(), 48);
    advance(50);
    EXPECT_EQ(bar->position(), 47);
    advance(50 * 10);
    EXPECT_EQ(bar->position(), 37);
    advance(50 * 100);
    EXPECT_EQ(bar->position(), 0);
    EXPECT_EQ(emitted.size(), 50u);
    pressPart(bar->upButton(), WM_LBUTTONUP, 0);
    EXPECT_FALSE(bar->isRepeatingOrDragging());
    EXPECT_EQ(bar->repeatTimer(), 0);

    // Leaving the part stops the repeat as well.
    pressPart(bar->trackDown(), WM_LBUTTONDOWN, MK_LBUTTON);
    EXPECT_EQ(bar->position(), 10);
    bar->trackDown()->onMouseLeave(IMMouseEvent(nullptr, WM_MOUSELEAVE, MK_LBUTTON, 0, 0));
    advance(2000);
    EXPECT_EQ(bar->position(), 10);
}

TEST_F(ScrollTest, DraggingTheSliderFollowsTheMouseAndClampsAtTheEnds) {
    IMScroll* bar = makeBar(); // at (100, 50) in a dialog at the window's origin
    moveMouse(108, 70);
    window->onMouseButton(IMMouseEvent(window, WM_LBUTTONDOWN, MK_LBUTTON, 108, 70));
    EXPECT_TRUE(bar->isRepeatingOrDragging());
    moveMouse(108, 112); // 42 px down: y = 58, p = floor(100 * 42 / 168 + 0.5) = 25
    EXPECT_EQ(bar->slider()->getRect().top, 58);
    EXPECT_EQ(bar->position(), 25);
    moveMouse(108, 900);
    EXPECT_EQ(bar->slider()->getRect().top, 200 - 16 - 16);
    EXPECT_EQ(bar->position(), 90);
    moveMouse(108, -900);
    EXPECT_EQ(bar->slider()->getRect().top, 16);
    EXPECT_EQ(bar->position(), 0);
    // Released anywhere: the drag ends and the mouse no longer moves the slider.
    window->onMouseButton(IMMouseEvent(window, WM_LBUTTONUP, 0, 300, 300));
    EXPECT_FALSE(bar->isRepeatingOrDragging());
    moveMouse(108, 150);
    EXPECT_EQ(bar->position(), 0);
}

TEST_F(ScrollTest, ZeroRangeAndShortBarsDoNotDivideByZero) {
    IMScroll* flat = makeBar();
    flat->maxValue = 0;
    flat->pageSize = 0;
    flat->layout();
    pressPart(flat->downButton(), WM_LBUTTONDOWN, MK_LBUTTON);
    pressPart(flat->downButton(), WM_LBUTTONUP, 0);
    EXPECT_EQ(flat->position(), 0);

    const RECT shortRect{200, 50, 216, 80}; // 30 px tall: no room for a track
    IMScroll* stub = makeBar(shortRect);
    EXPECT_EQ(stub->slider()->getHeight(), 0);
    moveMouse(208, 60);
    window->onMouseButton(IMMouseEvent(window, WM_LBUTTONDOWN, MK_LBUTTON, 208, 60));
    stub->onSliderMouse(IMMouseEvent(stub->slider(), WM_LBUTTONDOWN, MK_LBUTTON, 8, 10));
    moveMouse(208, 70);
    window->onMouseButton(IMMouseEvent(window, WM_LBUTTONUP, 0, 208, 70));
    SUCCEED();
}

class ListTest : public TextFixture {};

TEST_F(ListTest, ClickingAnItemMovesTheSelectionMarkOverItsRow) {
    auto* list = new IMList(dialog);
    list->setRect(RECT{100, 100, 300, 200});
    IMList::Item* first = list->addItem(L"Принтер 1");
    IMList::Item* second = list->addItem(L"Принтер 2");
    update();
    EXPECT_EQ(first->getRect().top, 0);
    EXPECT_EQ(second->getRect().top, 16);
    EXPECT_EQ(second->textColorAt(0), 0xFF000000u);
    EXPECT_TRUE(list->selectionMark()->isHidden());
    EXPECT_EQ(list->itemsDialog()->getRect(), (RECT{1, 1, 199, 99}));

    // A click in window coordinates: the list's frame dialog at (100, 100), items inside at (1, 1).
    auto click = [&](int x, int y) {
        window->onMouseMove(IMMouseEvent(window, WM_MOUSEMOVE, 0, x, y));
        window->onMouseButton(IMMouseEvent(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y));
        window->onMouseButton(IMMouseEvent(window, WM_LBUTTONUP, 0, x, y));
    };
    click(110, 101 + 16 + 4);
    EXPECT_EQ(list->selectedItem(), second);
    EXPECT_FALSE(list->selectionMark()->isHidden());
    EXPECT_EQ(list->selectionMark()->getRect(), (RECT{0, 16, 198, 33}));
    click(110, 101 + 4);
    EXPECT_EQ(list->selectedItem(), first);
    EXPECT_EQ(list->selectionMark()->getRect(), (RECT{0, 0, 198, 17}));

    list->select(nullptr);
    EXPECT_EQ(list->selectedItem(), nullptr);
    EXPECT_TRUE(list->selectionMark()->isHidden());
}

} // namespace
