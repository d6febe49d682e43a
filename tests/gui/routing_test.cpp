// Routing through the control tree: pending insertions, hover across layers, clicks, focus,
// keyboard chain, deferred deletion and change tracking.

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <memory>

#include "gui/ProbeControl.h"

namespace {

using boost::placeholders::_1;

long closeControl(IMControl* control, const IMMouseEvent&) {
    control->close();
    return 0;
}

class Tree : public ::testing::Test {
protected:
    // Closing the root schedules every child, and its destructor deletes what was scheduled.
    ~Tree() override { rootOwner->close(); }
    std::vector<std::string> log;
    std::unique_ptr<IMContainer> rootOwner =
        std::make_unique<IMContainer>(nullptr, RECT{0, 0, 800, 600}, 0);
    IMContainer& root = *rootOwner;
};

TEST_F(Tree, ChildIsNeitherHitNorPaintedUntilTheUpdatePassCommitsIt) {
    root.setChanged(false);
    auto* a = new ProbeControl(&root, RECT{10, 10, 50, 50}, 0, &log, "a");
    EXPECT_TRUE(root.isChanged()) << "adding a child marks its container changed at once";
    moveMouse(root, 20, 20);
    EXPECT_EQ(root.hoveredChild(), nullptr);
    commit(root);
    moveMouse(root, 21, 21);
    EXPECT_EQ(root.hoveredChild(), a);
    EXPECT_TRUE(a->isHovered());
}

TEST_F(Tree, HoverPrefersHigherLayersThenTheLastAddedAndSkipsHidden) {
    auto* low = new ProbeControl(&root, RECT{0, 0, 100, 100}, 5, &log, "low");
    auto* first = new ProbeControl(&root, RECT{0, 0, 100, 100}, 1, &log, "first");
    auto* second = new ProbeControl(&root, RECT{0, 0, 100, 100}, 1, &log, "second");
    commit(root);
    moveMouse(root, 10, 10);
    EXPECT_EQ(root.hoveredChild(), low) << "layer 5 is hit before layer 1";
    low->hide();
    EXPECT_EQ(root.hoveredChild(), second)
        << "hiding the hovered child under a resting mouse moves hover to the last added below";
    EXPECT_FALSE(low->isHovered());
    second->hide();
    EXPECT_EQ(root.hoveredChild(), first);
    // Enter of the new child comes before leave of the old one.
    auto enterFirst = std::find(log.begin(), log.end(), "first:enter");
    auto leaveSecond = std::find(log.begin(), log.end(), "second:leave");
    ASSERT_NE(enterFirst, log.end());
    ASSERT_NE(leaveSecond, log.end());
    EXPECT_LT(enterFirst - log.begin(), leaveSecond - log.begin());
}

TEST_F(Tree, AChildMovingUnderARestingMouseGainsHover) {
    auto* a = new ProbeControl(&root, RECT{200, 200, 250, 250}, 0, &log, "a");
    commit(root);
    moveMouse(root, 10, 10);
    EXPECT_EQ(root.hoveredChild(), nullptr);
    a->moveTo(0, 0);
    EXPECT_EQ(root.hoveredChild(), a);
    a->moveTo(300, 300);
    EXPECT_EQ(root.hoveredChild(), nullptr) << "moving away from the mouse gives up hover";
}

TEST_F(Tree, MousePositionsArriveInTheParentsCoordinates) {
    auto* panel = root.createDialog(100, 50, 200, 200, 0);
    auto* leaf = new ProbeControl(panel, RECT{10, 10, 60, 60}, 0);
    commit(root);
    commit(*panel);
    moveMouse(root, 125, 75);
    EXPECT_EQ(panel->hoveredChild(), leaf);
    EXPECT_EQ(leaf->lastX, 25);
    EXPECT_EQ(leaf->lastY, 25);
    EXPECT_EQ(panel->lastMouseX(), 25);
}

struct ClickCase {
    const char* name;
    std::uint32_t down;
    WPARAM downFlags;
    std::uint32_t up;
    bool releaseOnSame;
    std::uint32_t expectedClick; // 0: no click
};

class Clicks : public Tree, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(Clicks, NeedPressAndReleaseOnTheSameControl) {
    const ClickCase& c = GetParam();
    auto* a = new ProbeControl(&root, RECT{0, 0, 100, 100}, 0);
    auto* b = new ProbeControl(&root, RECT{100, 0, 200, 100}, 0);
    commit(root);
    std::vector<std::uint32_t> clicks;
    a->clicked.connect([&](const IMMouseEvent& e) {
        clicks.push_back(e.message);
        return 0L;
    });
    moveMouse(root, 10, 10);
    button(root, c.down, 10, 10, c.downFlags);
    if (!c.releaseOnSame) moveMouse(root, 150, 10);
    button(root, c.up, c.releaseOnSame ? 10 : 150, 10, 0);
    if (c.expectedClick == 0) {
        EXPECT_TRUE(clicks.empty()) << c.name;
    } else {
        ASSERT_EQ(clicks.size(), 1u) << c.name;
        EXPECT_EQ(clicks[0], c.expectedClick) << c.name;
    }
    (void)b;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Clicks,
    ::testing::Values(ClickCase{"left", WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP, true, IM_MSG_LEFT_CLICK},
                      ClickCase{"right", WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP, true, IM_MSG_RIGHT_CLICK},
                      ClickCase{"middle", WM_MBUTTONDOWN, MK_MBUTTON, WM_MBUTTONUP, true, IM_MSG_MIDDLE_CLICK},
                      ClickCase{"press here, release there", WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP, false, 0}),
    [](const auto& tested) {
        std::string n = tested.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    });

TEST_F(Tree, DisabledControlStillHoversClicksAndTakesFocus) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 100, 100}, 0);
    a->setFocusable(true);
    commit(root);
    a->disable();
    int clicks = 0;
    a->clicked.connect([&](const IMMouseEvent&) { return long(++clicks); });
    moveMouse(root, 5, 5);
    EXPECT_TRUE(a->isHovered());
    button(root, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    EXPECT_TRUE(a->hasFocus());
    button(root, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Tree, DoubleClickSignalOnlyForTheLeftButton) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 100, 100}, 0);
    commit(root);
    int doubles = 0;
    a->doubleClicked.connect([&](const IMMouseEvent&) { return long(++doubles); });
    moveMouse(root, 5, 5);
    button(root, WM_LBUTTONDBLCLK, 5, 5, MK_LBUTTON);
    EXPECT_EQ(doubles, 1);
}

TEST_F(Tree, KeysTravelDownTheChainOfFocusedChildren) {
    auto* panel = root.createDialog(0, 0, 400, 400, 0);
    auto* field = new ProbeControl(panel, RECT{0, 0, 100, 100}, 0, &log, "field");
    field->setFocusable(true);
    auto* other = new ProbeControl(panel, RECT{200, 0, 300, 100}, 0, &log, "other");
    other->setFocusable(true);
    commit(root);
    commit(*panel);
    field->setFocus(true);
    EXPECT_EQ(panel->focusedChild(), field);
    EXPECT_EQ(root.focusedChild(), panel) << "focus climbs the chain up to the root";

    int downs = 0;
    int messages = 0;
    field->keyDown.connect([&](const IMKeyboardEvent&) { return long(++downs); });
    field->keyMessage.connect([&](const IMKeyboardEvent&) { return long(++messages); });
    root.onKey(IMKeyboardEvent(&root, WM_KEYDOWN, 'A', 0));
    root.onKey(IMKeyboardEvent(&root, WM_CHAR, L'ж', 0));
    EXPECT_EQ(downs, 1) << "WM_CHAR is no key-down";
    EXPECT_EQ(messages, 2);

    other->setFocus(true);
    EXPECT_FALSE(field->hasFocus());
    EXPECT_EQ(panel->focusedChild(), other);
    root.onKey(IMKeyboardEvent(&root, WM_KEYDOWN, 'B', 0));
    EXPECT_EQ(downs, 1);
}

TEST_F(Tree, WhenAFocusedDialogGoesTheFocusReturnsToTheScreenThatHadItBefore) {
    auto* screen = new ProbeControl(&root, RECT{0, 0, 800, 600}, 0, &log, "screen");
    screen->setFocusable(true);
    auto* unrelated = new ProbeControl(&root, RECT{0, 0, 10, 10}, 0, &log, "unrelated");
    unrelated->setFocusable(true);
    commit(root);
    unrelated->setFocus(true);
    screen->setFocus(true);
    int keys = 0;
    screen->keyDown.connect([&](const IMKeyboardEvent&) { return long(++keys); });

    for (int round = 0; round < 2; ++round) {
        auto* dialog = root.createDialog(100, 100, 200, 200, 5);
        commit(root);
        dialog->setFocus(true);
        EXPECT_FALSE(screen->hasFocus());
        dialog->close();
        commit(root);
        EXPECT_TRUE(screen->hasFocus()) << "round " << round;
        EXPECT_EQ(root.focusedChild(), screen);
        root.onKey(IMKeyboardEvent(&root, WM_KEYDOWN, VK_RETURN, 0));
        EXPECT_EQ(keys, round + 1) << "Enter reaches the screen again";
    }

    // A holder that went meanwhile is skipped: the one before it gets the focus.
    auto* dialog = root.createDialog(100, 100, 200, 200, 5);
    commit(root);
    dialog->setFocus(true);
    screen->close();
    dialog->close();
    commit(root);
    EXPECT_TRUE(unrelated->hasFocus());
}

TEST_F(Tree, NotFocusableControlIgnoresSetFocus) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 10, 10}, 0);
    commit(root);
    a->setFocus(true);
    EXPECT_FALSE(a->hasFocus());
    EXPECT_EQ(root.focusedChild(), nullptr);
}

TEST_F(Tree, ControlClosedInItsOwnClickHandlerStaysUntilTheUpdatePass) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 100, 100}, 0, &log, "a");
    commit(root);
    a->clicked.connect(boost::bind(&closeControl, a, _1));
    int moves = 0;
    a->mouseMoved.connect([&](const IMMouseEvent&) { return long(++moves); });
    moveMouse(root, 5, 5);
    EXPECT_EQ(moves, 1);
    button(root, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
    button(root, WM_LBUTTONUP, 5, 5, 0);
    EXPECT_TRUE(std::find(log.begin(), log.end(), "a:deleted") == log.end());
    EXPECT_TRUE(root.hasPendingDeletes());
    moveMouse(root, 6, 6);
    EXPECT_EQ(moves, 1) << "a closed control emits nothing more";
    EXPECT_EQ(root.hoveredChild(), a) << "it is still hit until the update pass";
    commit(root);
    EXPECT_TRUE(std::find(log.begin(), log.end(), "a:deleted") != log.end());
    EXPECT_EQ(root.hoveredChild(), nullptr);
}

TEST_F(Tree, ClosingAContainerTakesItsWholeSubtree) {
    auto* panel = root.createDialog(0, 0, 400, 400, 0);
    new ProbeControl(panel, RECT{0, 0, 10, 10}, 0, &log, "x");
    new ProbeControl(panel, RECT{0, 0, 10, 10}, 3, &log, "y");
    commit(root);
    commit(*panel);
    panel->close();
    commit(root);
    EXPECT_NE(std::find(log.begin(), log.end(), "x:deleted"), log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "y:deleted"), log.end());
    EXPECT_TRUE(root.children().empty());
}

TEST_F(Tree, ContainerClosedBeforeItsFirstUpdatePassTakesItsPendingChildren) {
    auto* panel = root.createDialog(0, 0, 400, 400, 0);
    commit(root);
    new ProbeControl(panel, RECT{0, 0, 10, 10}, 0, &log, "x");
    new ProbeControl(panel, RECT{0, 0, 10, 10}, 2, &log, "y");
    ASSERT_TRUE(panel->hasPendingChildren());
    panel->close();
    commit(root);
    EXPECT_EQ(std::count(log.begin(), log.end(), "x:deleted"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "y:deleted"), 1);
}

TEST_F(Tree, DestroyedContainerDeletesEveryChildOnce) {
    auto panel = std::make_unique<IMContainer>(nullptr, RECT{0, 0, 400, 400}, 0);
    new ProbeControl(panel.get(), RECT{0, 0, 10, 10}, 0, &log, "committed");
    auto* scheduled = new ProbeControl(panel.get(), RECT{0, 0, 10, 10}, 1, &log, "scheduled");
    auto* hoveredAndFocused = new ProbeControl(panel.get(), RECT{50, 50, 60, 60}, 2, &log, "hovered");
    hoveredAndFocused->setFocusable(true);
    commit(*panel);
    moveMouse(*panel, 55, 55);
    button(*panel, WM_LBUTTONDOWN, 55, 55, MK_LBUTTON);
    ASSERT_EQ(panel->hoveredChild(), hoveredAndFocused);
    ASSERT_EQ(panel->focusedChild(), hoveredAndFocused);
    scheduled->close();
    ASSERT_TRUE(panel->hasPendingDeletes());
    new ProbeControl(panel.get(), RECT{0, 0, 10, 10}, 0, &log, "pending");
    panel.reset();
    for (const char* name : {"committed", "scheduled", "hovered", "pending"})
        EXPECT_EQ(std::count(log.begin(), log.end(), std::string(name) + ":deleted"), 1) << name;
}

TEST_F(Tree, NeverCommittedChildIsDeletedAtOnce) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 10, 10}, 7, &log, "a");
    a->close();
    EXPECT_NE(std::find(log.begin(), log.end(), "a:deleted"), log.end());
    EXPECT_FALSE(root.hasPendingChildren());
}

TEST_F(Tree, UpdatePassTicksCommittedChildrenInLayerOrder) {
    auto* top = new ProbeControl(&root, RECT{}, 9, &log, "top");
    auto* bottom = new ProbeControl(&root, RECT{}, 1, &log, "bottom");
    commit(root);
    EXPECT_EQ(top->ticks, 1);
    EXPECT_EQ(bottom->ticks, 1);
    commit(root);
    EXPECT_EQ(top->ticks, 2);
}

TEST_F(Tree, PaintingClearsChangesInTheWholeTreeAndSkipsHidden) {
    auto* panel = root.createDialog(0, 0, 400, 400, 0);
    auto* hiddenPanel = root.createDialog(0, 0, 400, 400, 1);
    auto* leaf = new ProbeControl(panel, RECT{0, 0, 10, 10}, 0, &log, "leaf");
    auto* hiddenLeaf = new ProbeControl(panel, RECT{0, 0, 10, 10}, 0, &log, "hidden");
    auto* underHidden = new ProbeControl(hiddenPanel, RECT{0, 0, 10, 10}, 0, &log, "under");
    commit(root);
    commit(*panel);
    commit(*hiddenPanel);
    hiddenLeaf->hide();
    hiddenPanel->hide();
    underHidden->setChanged(true);
    EXPECT_TRUE(root.isChanged());
    root.onPaint(IMEvent(&root, IM_MSG_PAINT));
    EXPECT_FALSE(root.isChanged());
    EXPECT_FALSE(leaf->isChanged());
    EXPECT_FALSE(hiddenLeaf->isChanged()) << "a hidden child is not left changed for ever";
    EXPECT_FALSE(underHidden->isChanged());
    EXPECT_NE(std::find(log.begin(), log.end(), "leaf:draw"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "under:draw"), log.end())
        << "a hidden container paints none of its children";
    leaf->setChanged(true);
    EXPECT_TRUE(root.isChanged()) << "a changed grandchild makes the root changed";
}

TEST_F(Tree, DetachedControlKeepsOnlyItsFocusSignals) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 10, 10}, 0);
    commit(root);
    a->clicked.connect([](const IMMouseEvent&) { return 0L; });
    a->detach();
    EXPECT_TRUE(a->clicked.empty());
    EXPECT_FALSE(a->focusGained.empty()) << "the parent keeps listening for focus";
}

TEST_F(Tree, SlotsBoundToAControlGoAwayWithIt) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 10, 10}, 0);
    auto* listener = new ProbeControl(&root, RECT{0, 0, 10, 10}, 0);
    commit(root);
    a->clicked.connect(boost::bind(&closeControl, listener, _1));
    EXPECT_EQ(a->clicked.num_slots(), 1u);
    listener->close();
    commit(root);
    EXPECT_EQ(a->clicked.num_slots(), 0u) << "trackable disconnection";
}

TEST(Signals, LastValueCombinerRunsEverySlotAndYieldsZeroWithoutSlots) {
    IMSignal<IMEvent> s;
    EXPECT_EQ(s(IMEvent(nullptr, 0)), 0);
    std::vector<int> order;
    s.connect([&](const IMEvent&) {
        order.push_back(1);
        return 5L;
    });
    s.connect([&](const IMEvent&) {
        order.push_back(2);
        return 7L;
    });
    EXPECT_EQ(s(IMEvent(nullptr, 0)), 7);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace
