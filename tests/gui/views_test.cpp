// Texture and state views on the real device: alpha hit tests (tint, threshold, rotation),
// references held by pictures, and button looks following the mouse.

#include <gtest/gtest.h>

#include <cmath>

#include "gui/IMButtonBase.h"
#include "gui/IMStaticPictureBase.h"
#include "window/IMResourceManager.h"
#include "support/WindowFixture.h"

namespace {

class Views : public WindowFixture {
protected:
    // A w × h texture whose texel alpha is given by `alphaAt(x, y)`.
    template <typename F> TextureHandle makeTexture(const std::wstring& name, int w, int h, F alphaAt) {
        IMResourceManager* rm = resourceManager();
        const TextureHandle handle = rm->createTexture(name, w, h, PixelFormat::ARGB);
        rm->fillTexture(handle, [&](std::uint8_t* texels, int pitch, int, int rows) {
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < w; ++x) {
                    std::uint8_t* t = texels + y * pitch + x * 4;
                    t[0] = t[1] = t[2] = 255;
                    t[3] = static_cast<std::uint8_t>(alphaAt(x, y));
                }
        });
        rm->takeTexelCopy(handle);
        return handle;
    }
    IMStaticPictureBase<IMTextureView>* picture(TextureHandle handle, const RECT& r) {
        auto* p = new IMStaticPictureBase<IMTextureView>(window, 0);
        p->setTexture(handle);
        p->setRect(r);
        return p;
    }
};

TEST_F(Views, AlphaHitTestFollowsTintAndThreshold) {
    const TextureHandle half = makeTexture(L"half", 20, 20, [](int x, int) { return x < 10 ? 255 : 254; });
    auto* p = picture(half, RECT{100, 100, 120, 120});
    EXPECT_TRUE(p->hitTest(105, 105));
    EXPECT_FALSE(p->hitTest(115, 105)) << "texel alpha 254 is below the threshold 255";
    EXPECT_FALSE(p->hitTest(99, 105)) << "outside the rectangle";
    p->alphaThreshold = 254;
    EXPECT_TRUE(p->hitTest(115, 105));
    p->color = 0xFEFFFFFF;
    EXPECT_FALSE(p->hitTest(105, 105)) << "a view whose colour alpha is below 255 is never hit";
    p->hide();
    p->color = 0xFFFFFFFF;
    EXPECT_FALSE(p->hitTest(105, 105)) << "hidden views are never hit";
}

TEST_F(Views, RotatedViewIsHitOnItsRotatedShape) {
    // A 40 × 10 bar; turned a quarter turn it stands upright about its centre (120, 105).
    const TextureHandle bar = makeTexture(L"bar", 40, 10, [](int, int) { return 255; });
    auto* p = picture(bar, RECT{100, 100, 140, 110});
    EXPECT_TRUE(p->hitTest(102, 105));
    p->angle = static_cast<float>(M_PI / 2);
    EXPECT_FALSE(p->hitTest(102, 105)) << "the unrotated end is no longer there";
    EXPECT_TRUE(p->hitTest(120, 88)) << "the rotated bar reaches up";
    EXPECT_TRUE(p->hitTest(120, 122)) << "and down";
}

TEST_F(Views, PicturesHoldOneReferenceEachAndGiveItBack) {
    IMResourceManager* rm = resourceManager();
    const TextureHandle h = rm->findTexture(L"ExitButton");
    ASSERT_NE(h, rm->invalidHandle());
    const int before = rm->entry(h).refCount;
    auto* a = window->createPicture(0, 0, L"ExitButton", 0);
    auto* b = window->createPicture(30, 0, L"ExitButton", 0);
    EXPECT_EQ(rm->entry(h).refCount, before + 2);
    EXPECT_EQ(a->getRect(), (RECT{0, 0, 21, 21})) << "a picture takes its image's size";
    update();
    a->close();
    b->close();
    update();
    EXPECT_EQ(rm->entry(h).refCount, before);
}

TEST_F(Views, PictureOfAnUnknownNameDrawsNothingAndIsNeverHit) {
    auto* p = window->createPicture(0, 0, L"no-such-picture.png", 0);
    p->setRect(RECT{0, 0, 50, 50});
    update();
    EXPECT_FALSE(p->hitTest(10, 10));
    window->render();
}

TEST_F(Views, ButtonLookFollowsPressLeaveReturnAndRelease) {
    auto* button = window->createButton(100, 100, L"RetryButton", L"RetryButton", L"RetryButtonNuv",
                                        L"RetryButtonKlick", 0);
    EXPECT_EQ(button->getRect(), (RECT{100, 100, 209, 147})) << "the normal image fixes the size";
    update();
    int clicks = 0;
    button->clicked.connect([&](const IMMouseEvent&) { return long(++clicks); });
    auto send = [&](std::uint32_t message, WPARAM flags, int x, int y) {
        window->handleMessage(platform::NativeMessage{message, flags, 0, x, y});
    };
    const TextureHandle normal = resourceManager()->findTexture(L"RetryButton");
    const TextureHandle hovered = resourceManager()->findTexture(L"RetryButtonNuv");
    const TextureHandle pressed = resourceManager()->findTexture(L"RetryButtonKlick");

    send(WM_MOUSEMOVE, 0, 150, 120);
    EXPECT_EQ(button->getState(), IMStateView::Hovered);
    EXPECT_EQ(button->getTexture(), hovered);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 120);
    EXPECT_EQ(button->getState(), IMStateView::Pressed);
    EXPECT_EQ(button->getTexture(), pressed);
    send(WM_MOUSEMOVE, MK_LBUTTON, 400, 400);
    EXPECT_EQ(button->getState(), IMStateView::Normal);
    EXPECT_EQ(button->getTexture(), normal);
    send(WM_MOUSEMOVE, MK_LBUTTON, 150, 120);
    EXPECT_EQ(button->getState(), IMStateView::Pressed) << "still held when it comes back";
    send(WM_LBUTTONUP, 0, 150, 120);
    EXPECT_EQ(button->getState(), IMStateView::Hovered);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->getRect(), (RECT{100, 100, 209, 147})) << "state images never resize it";

    button->disable();
    EXPECT_EQ(button->getState(), IMStateView::Disabled);
    send(WM_LBUTTONDOWN, MK_LBUTTON, 150, 120);
    send(WM_LBUTTONUP, 0, 150, 120);
    EXPECT_EQ(clicks, 2) << "a disabled button still clicks";
    button->enable();
    EXPECT_EQ(button->getState(), IMStateView::Hovered);
}

TEST_F(Views, ButtonWithoutHoverAndPressImagesShowsTheNormalOneAlways) {
    auto* button = window->createButton(0, 0, L"ExitButton", L"", L"", L"", 0);
    update();
    const TextureHandle normal = resourceManager()->findTexture(L"ExitButton");
    window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, 10, 10});
    window->handleMessage(platform::NativeMessage{WM_LBUTTONDOWN, MK_LBUTTON, 0, 10, 10});
    EXPECT_EQ(button->getState(), IMStateView::Pressed);
    EXPECT_EQ(button->getTexture(), normal);
}

TEST_F(Views, DialogWithoutRectangleCoversTheScreenAndTakesFocusOnPress) {
    auto* dialog = new IMContainer(window, std::nullopt, 0);
    EXPECT_EQ(dialog->getRect(), (RECT{0, 0, 800, 600}));
    update();
    window->handleMessage(platform::NativeMessage{WM_MOUSEMOVE, 0, 0, 10, 10});
    window->handleMessage(platform::NativeMessage{WM_LBUTTONDOWN, MK_LBUTTON, 0, 10, 10});
    EXPECT_TRUE(dialog->hasFocus());
    EXPECT_EQ(window->focusedChild(), dialog);
}

TEST_F(Views, ContainerOutsideItsParentsClipPaintsNothing) {
    auto* outer = window->createDialog(0, 0, 100, 100, 0);
    auto* inner = outer->createDialog(200, 200, 50, 50, 0);
    int painted = 0;
    inner->painted.connect([&](const IMEvent&) { return long(++painted); });
    update();
    window->setChanged(true);
    window->render();
    EXPECT_EQ(painted, 0);
    inner->moveTo(10, 10);
    window->render();
    EXPECT_EQ(painted, 1);
}

TEST_F(Views, TintedClippedPictureReachesTheScreen) {
    const TextureHandle white = makeTexture(L"white", 20, 20, [](int, int) { return 255; });
    auto* clip = window->createDialog(100, 100, 10, 20, 0);
    auto* p = new IMStaticPictureBase<IMTextureView>(clip, 0);
    p->setTexture(white);
    p->setRect(RECT{0, 0, 20, 20});
    p->color = 0xFFFF0000;
    update();
    update();
    window->render();
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(resourceManager()->readPixels(RECT{100, 100, 120, 101}, px));
    EXPECT_EQ(px[5] & 0x00FFFFFF, 0x00FF0000u) << "white modulated by red";
    EXPECT_EQ(px[15] & 0x00FFFFFF, 0u) << "clipped by the 10-pixel-wide container";
}

} // namespace
