// Hover that settles without waiting for the next mouse report: children that appear under a
// resting pointer (a whole new screen with its children at once), children uncovered by a deletion,
// and a child that hides or moves itself in its own enter handler. And a picture whose texture
// could not be had, which must hold none rather than borrow the next texture's number.

#include <gtest/gtest.h>

#include <boost/bind/bind.hpp>

#include "gui/IMStaticPictureBase.h"
#include "gui/IMTextureView.h"
#include "gui/ProbeControl.h"
#include "support/WindowFixture.h"
#include "window/IMResourceManager.h"

namespace {

class Settling : public ::testing::Test {
protected:
    ~Settling() override { rootOwner->close(); }
    std::vector<std::string> log;
    std::unique_ptr<IMContainer> rootOwner =
        std::make_unique<IMContainer>(nullptr, RECT{0, 0, 800, 600}, 0);
    IMContainer& root = *rootOwner;
};

TEST_F(Settling, AScreenAndItsChildrenMadeUnderARestingPointerTakeTheHoverAtTheirUpdatePass) {
    moveMouse(root, 120, 130);
    // The pointer got there before anything existed: a screen with a child under the pointer.
    IMContainer* screen = root.createDialog(100, 100, 200, 200, 0);
    auto* child = new ProbeControl(screen, RECT{10, 20, 40, 50}, 0, &log, "child");
    commit(root);
    EXPECT_EQ(root.hoveredChild(), screen);
    EXPECT_EQ(screen->hoveredChild(), child) << "committed in the same pass as its screen";
    EXPECT_TRUE(child->isHovered());
}

TEST_F(Settling, NothingIsHoveredAtAnUpdatePassBeforeAnyReport) {
    auto* a = new ProbeControl(&root, RECT{0, 0, 50, 50}, 0, &log, "a");
    commit(root);
    EXPECT_EQ(root.hoveredChild(), nullptr) << "no report yet: where the pointer is is unknown";
    EXPECT_FALSE(a->isHovered());
}

TEST_F(Settling, DeletingTheHoveredChildGivesTheHoverToWhatLiesBeneath) {
    auto* below = new ProbeControl(&root, RECT{0, 0, 100, 100}, 0, &log, "below");
    auto* above = new ProbeControl(&root, RECT{0, 0, 100, 100}, 1, &log, "above");
    commit(root);
    moveMouse(root, 10, 10);
    ASSERT_EQ(root.hoveredChild(), above);
    above->close();
    EXPECT_EQ(root.hoveredChild(), above) << "a closed child is hit until the update pass";
    commit(root);
    EXPECT_EQ(root.hoveredChild(), below);
    EXPECT_TRUE(below->isHovered());
}

// The enter handler of the newly hovered child hides it or moves it away; the hover settled from
// inside that handler must stand.
TEST_F(Settling, AChildThatHidesOrMovesItselfOnEnterLeavesTheHoverConsistent) {
    struct Case {
        const char* name;
        void (*onEnter)(ProbeControl*);
    };
    const Case cases[] = {
        {"hides", [](ProbeControl* c) { c->hide(); }},
        {"moves away", [](ProbeControl* c) { c->moveTo(500, 500); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* wide = new ProbeControl(&root, RECT{0, 0, 300, 100}, 0, &log, "wide");
        auto* shy = new ProbeControl(&root, RECT{100, 0, 200, 100}, 1, &log, "shy");
        shy->mouseEntered.connect([&, shy](const IMMouseEvent&) {
            c.onEnter(shy);
            return 0L;
        });
        commit(root);
        moveMouse(root, 10, 10);
        ASSERT_EQ(root.hoveredChild(), wide);
        moveMouse(root, 150, 10);
        EXPECT_EQ(root.hoveredChild(), wide);
        EXPECT_TRUE(wide->isHovered());
        EXPECT_FALSE(shy->isHovered());
        wide->close();
        shy->close();
        commit(root);
    }
}

class FailedTexture : public WindowFixture {};

// An unknown name once left the picture holding the invalid handle (the handle count), which is
// the number the next registered texture gets: the picture drew that texture and, when closed,
// released it under its owner.
TEST_F(FailedTexture, APictureThatCouldNotHaveItsTextureHoldsNoneAndLeavesTheNextOneAlone) {
    IMResourceManager* rm = resourceManager();
    auto* failed = window->createPicture(0, 0, L"no-such-picture.png", 0);
    EXPECT_FALSE(failed->hasTexture());
    const TextureHandle other = rm->createTexture(L"registered-after", 8, 8, PixelFormat::ARGB);
    ASSERT_TRUE(rm->isLive(other));
    const int references = rm->entry(other).refCount;
    update();
    failed->close();
    update();
    ASSERT_TRUE(rm->isLive(other)) << "the failed picture released a texture it never had";
    EXPECT_EQ(rm->entry(other).refCount, references);
    rm->release(other);
}

TEST_F(FailedTexture, APictureGivenAFreedHandleHoldsNone) {
    IMResourceManager* rm = resourceManager();
    const TextureHandle gone = rm->createTexture(L"soon-gone", 8, 8, PixelFormat::ARGB);
    rm->release(gone);
    auto* p = new IMStaticPictureBase<IMTextureView>(window, 0);
    p->setTexture(gone);
    EXPECT_FALSE(p->hasTexture());
    const TextureHandle reused = rm->createTexture(L"takes-the-slot", 8, 8, PixelFormat::ARGB);
    const int references = rm->entry(reused).refCount;
    update();
    p->close();
    update();
    EXPECT_EQ(rm->entry(reused).refCount, references);
    rm->release(reused);
}

} // namespace
