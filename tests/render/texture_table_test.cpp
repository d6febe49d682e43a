// Device loss and lazy restore, eviction when texture memory runs out, lock-and-fill, texel
// copies and frame statistics.

#include "render/RenderFixture.h"

#include <regex>

namespace {

constexpr std::uint32_t black = 0xFF000000;
constexpr std::uint32_t white = 0xFFFFFFFF;

std::vector<std::uint32_t> uniform(int w, int h, std::uint32_t argb) {
    return std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), argb);
}

using TextureTableTest = RenderFixture;

TEST_F(TextureTableTest, LostDeviceComesBackWithTexturesRebuiltOnlyWhenUsed) {
    const TextureHandle a = pictureFromPixels(L"a", 8, 8, uniform(8, 8, 0xFF102030));
    const TextureHandle b = pictureFromPixels(L"b", 8, 8, uniform(8, 8, 0xFF405060));
    EXPECT_FALSE(manager->isDeviceLost());

    manager->simulateDeviceLoss();
    EXPECT_TRUE(manager->isDeviceLost());
    EXPECT_TRUE(manager->isDeviceLost()); // stays lost until restored
    ASSERT_TRUE(manager->restoreDevice());
    EXPECT_FALSE(manager->isDeviceLost());
    EXPECT_EQ(manager->entry(a).texture, nullptr);
    EXPECT_EQ(manager->entry(b).texture, nullptr);

    const auto px = render({0, 0, 8, 8}, [&] {
        manager->drawTexture(a, {0, 0, 8, 8}, nullptr, white, 0.0f);
    });
    EXPECT_NE(manager->entry(a).texture, nullptr);
    EXPECT_EQ(manager->entry(b).texture, nullptr);
    for (std::uint32_t p : px)
        ASSERT_EQ(p, 0xFF102030u);
}

TEST_F(TextureTableTest, RestoreWithoutLossOnlyReleasesTextures) {
    const TextureHandle a = pictureFromPixels(L"a", 8, 8, uniform(8, 8, 0xFF102030));
    ASSERT_TRUE(manager->restoreDevice());
    EXPECT_EQ(manager->entry(a).texture, nullptr);
    manager->restoreTexture(a);
    EXPECT_NE(manager->entry(a).texture, nullptr);
}

TEST_F(TextureTableTest, VideoFrameTextureIgnoresItsFourthByteBeforeAndAfterLoss) {
    // Alpha bytes of 0 in an XRGB texture must still draw opaque.
    const TextureHandle frame =
        pictureFromPixels(L"frame", 4, 4, uniform(4, 4, 0x00C08040), PixelFormat::XRGB);
    const auto draw = [&] { manager->drawTexture(frame, {0, 0, 4, 4}, nullptr, white, 0.0f); };
    for (std::uint32_t p : render({0, 0, 4, 4}, draw))
        ASSERT_EQ(p, 0xFFC08040u);

    manager->simulateDeviceLoss();
    ASSERT_TRUE(manager->isDeviceLost());
    ASSERT_TRUE(manager->restoreDevice());
    EXPECT_EQ(manager->entry(frame).format, PixelFormat::XRGB);
    for (std::uint32_t p : render({0, 0, 4, 4}, draw))
        ASSERT_EQ(p, 0xFFC08040u);
}

TEST_F(TextureTableTest, FillWritesTheTextureButNotTheTexelCopyUntilTaken) {
    const TextureHandle h = manager->createTexture(L"fill", 5, 3, PixelFormat::ARGB);
    ASSERT_NE(h, manager->invalidHandle());
    const TextureEntry& e = manager->entry(h);
    EXPECT_EQ(e.textureWidth, 5);
    EXPECT_EQ(e.textureHeight, 3);
    ASSERT_EQ(e.texelCopy.size(), 5u * 3u * 4u);
    for (std::uint8_t byte : e.texelCopy)
        ASSERT_EQ(byte, 0);

    int seenZero = -1, seenHeight = -1, seenPitch = -1;
    manager->fillTexture(h, [&](std::uint8_t* texels, int pitch, int zero, int height) {
        seenPitch = pitch;
        seenZero = zero;
        seenHeight = height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 5; ++x) {
                std::uint8_t* t = texels + y * pitch + x * 4;
                t[0] = 0x11, t[1] = 0x22, t[2] = 0x33, t[3] = 0xFF;
            }
    });
    EXPECT_EQ(seenZero, 0);
    EXPECT_EQ(seenHeight, 3);
    EXPECT_GE(seenPitch, 5 * 4);
    EXPECT_EQ(e.texelCopy[0], 0); // the copy still holds the blank texture

    const auto px = render({0, 0, 5, 3}, [&] {
        manager->drawTexture(h, {0, 0, 5, 3}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : px)
        ASSERT_EQ(p, 0xFF332211u);

    manager->takeTexelCopy(h);
    ASSERT_EQ(e.texelCopy.size(), 5u * 3u * 4u);
    EXPECT_EQ(e.texelCopy[0], 0x11);
    EXPECT_EQ(e.texelCopy[3], 0xFF);
    EXPECT_EQ(e.texelCopy[(2 * 5 + 4) * 4 + 2], 0x33); // last texel, row pitch 5 texels
}

TEST_F(TextureTableTest, FillWhileLostKeepsTheTexelsForTheRestore) {
    const TextureHandle h = manager->createTexture(L"text", 4, 4, PixelFormat::ARGB);
    manager->simulateDeviceLoss();
    ASSERT_TRUE(manager->isDeviceLost());
    manager->releaseByName(L"nothing"); // unrelated call in between changes nothing
    testing::internal::CaptureStderr();
    manager->fillTexture(h, [](std::uint8_t* texels, int pitch, int, int height) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 4; ++x) {
                std::uint8_t* t = texels + y * pitch + x * 4;
                t[0] = 0x30, t[1] = 0x20, t[2] = 0x10, t[3] = 0xFF;
            }
    });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Fuck!!!\n");
    ASSERT_TRUE(manager->restoreDevice());
    const auto px = render({0, 0, 4, 4}, [&] {
        manager->drawTexture(h, {0, 0, 4, 4}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : px)
        ASSERT_EQ(p, 0xFF102030u);
}

TEST_F(TextureTableTest, OutOfTextureMemoryEvictsOtherTexturesLowestHandleFirst) {
    const std::size_t oneTexture = 32 * 32 * 4;
    manager->backend()->limitTextureMemory(2 * oneTexture);
    const TextureHandle a = pictureFromPixels(L"a", 32, 32, uniform(32, 32, 0xFF0000AA));
    const TextureHandle b = pictureFromPixels(L"b", 32, 32, uniform(32, 32, 0xFF00BB00));
    const TextureHandle c = pictureFromPixels(L"c", 32, 32, uniform(32, 32, 0xFFCC0000));
    ASSERT_NE(c, manager->invalidHandle());
    EXPECT_EQ(manager->entry(a).texture, nullptr); // evicted for c
    EXPECT_NE(manager->entry(b).texture, nullptr);
    EXPECT_NE(manager->entry(c).texture, nullptr);

    // Drawing a brings it back from its texel copy, now at b's expense.
    const auto px = render({0, 0, 32, 32}, [&] {
        manager->drawTexture(a, {0, 0, 32, 32}, nullptr, white, 0.0f);
    });
    for (std::uint32_t p : px)
        ASSERT_EQ(p, 0xFF0000AAu);
    EXPECT_NE(manager->entry(a).texture, nullptr);
    EXPECT_EQ(manager->entry(b).texture, nullptr);
    EXPECT_NE(manager->entry(c).texture, nullptr);
}

TEST_F(TextureTableTest, CreationThatCannotFitEvenAloneRegistersNothing) {
    manager->backend()->limitTextureMemory(16 * 16 * 4);
    const TextureHandle small = manager->createTexture(L"small", 16, 16, PixelFormat::ARGB);
    ASSERT_EQ(small, 0u);
    const TextureHandle big = manager->createTexture(L"big", 32, 32, PixelFormat::ARGB);
    EXPECT_EQ(big, manager->invalidHandle());
    EXPECT_EQ(manager->handleCount(), 1u);
    EXPECT_EQ(manager->findTexture(L"big"), manager->invalidHandle());
    EXPECT_EQ(manager->entry(small).texture, nullptr); // it was given up trying
    manager->backend()->limitTextureMemory(0);
    manager->restoreTexture(small);
    EXPECT_NE(manager->entry(small).texture, nullptr);
}

TEST(FrameRate, IsFramesPerElapsedSecondInUnsigned32BitArithmetic) {
    EXPECT_EQ(GraphicsDevice::frameRate(600, 10000), 60u);
    EXPECT_EQ(GraphicsDevice::frameRate(599, 10000), 59u);
    EXPECT_EQ(GraphicsDevice::frameRate(600, 0), 0u);
    // 5 000 000 000 wraps to 705 032 704 before the division.
    EXPECT_EQ(GraphicsDevice::frameRate(5000000, 1000), 705032u);
}

using StartUpTest = RenderFixture;

TEST_F(StartUpTest, RegistersTheSkinSetInOrderAndShutdownGivesItsReferencesBack) {
    manager.reset(); // the window takes one renderer at a time
    ASSERT_EQ(resourceManager(), nullptr);
    startResources(*window_, true);
    IMResourceManager* m = resourceManager();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->handleCount(), 57u);
    EXPECT_EQ(m->findTexture(L"DefaultBackGround"), 0u);
    EXPECT_EQ(m->findTexture(L"PrintButtonKlick"), 13u);
    EXPECT_EQ(m->findTexture(L"PrintButtonNuv"), 21u);
    EXPECT_EQ(m->findTexture(L"SelectionMask"), 56u);
    EXPECT_EQ(m->entry(0).imageRect, (RECT{0, 0, 800, 600}));
    EXPECT_EQ(m->entry(0).textureWidth, 800);
    EXPECT_EQ(m->entry(0).textureHeight, 600);
    EXPECT_EQ(m->entry(0).refCount, 1);

    const TextureHandle exit = m->getTexture(L"ExitButton");
    EXPECT_EQ(m->entry(exit).refCount, 2);
    m->releaseSkinSet();
    EXPECT_EQ(m->entry(exit).refCount, 1);
    EXPECT_EQ(m->findTexture(L"DefaultBackGround"), m->invalidHandle());
    m->registerSkinSet(); // back to one start-up reference each

    m->countFrame();
    testing::internal::CaptureStderr();
    shutdownResources();
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(output, std::regex("FPS: [0-9]+\n"))) << output;
    EXPECT_EQ(resourceManager(), nullptr);
}

} // namespace
