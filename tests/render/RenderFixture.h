#pragma once
// A headless 800 x 600 window with a resource manager drawing into it, for tests that read real
// pixels back from the renderer.

#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlRenderFactory.h"
#include "window/IMResourceManager.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class RenderFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(platform::initVideo(error)) << error;
        window_ = platform::NativeWindow::create(L"render test", 800, 600, true, error).release();
        ASSERT_NE(window_, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete window_;
        window_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(window_, nullptr);
        manager = std::make_unique<IMResourceManager>();
        auto backend = platform::createSdlRenderBackend(*window_);
        ASSERT_NE(backend, nullptr);
        manager->attachBackend(std::move(backend));
    }
    void TearDown() override { manager.reset(); }

    // A picture registered from texels given row by row as ARGB values.
    TextureHandle pictureFromPixels(const std::wstring& name, int width, int height,
                                    const std::vector<std::uint32_t>& argb,
                                    PixelFormat format = PixelFormat::ARGB) {
        const TextureHandle h = manager->createTexture(name, width, height, format);
        manager->fillTexture(h, [&](std::uint8_t* texels, int pitch, int, int rows) {
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < width; ++x) {
                    const std::uint32_t p = argb[static_cast<std::size_t>(y * width + x)];
                    std::uint8_t* t = texels + y * pitch + x * 4;
                    t[0] = static_cast<std::uint8_t>(p);
                    t[1] = static_cast<std::uint8_t>(p >> 8);
                    t[2] = static_cast<std::uint8_t>(p >> 16);
                    t[3] = static_cast<std::uint8_t>(p >> 24);
                }
        });
        manager->takeTexelCopy(h);
        return h;
    }

    // Clears to opaque black, runs draw, and reads the area back before presenting.
    template <typename Draw> std::vector<std::uint32_t> render(const RECT& area, Draw draw) {
        manager->clear(0xFF000000);
        manager->beginScene();
        draw();
        manager->endScene();
        std::vector<std::uint32_t> pixels;
        EXPECT_TRUE(manager->readPixels(area, pixels));
        manager->present();
        return pixels;
    }

    static inline platform::NativeWindow* window_ = nullptr;
    std::unique_ptr<IMResourceManager> manager;
};

inline std::uint32_t pixelAt(const std::vector<std::uint32_t>& pixels, int width, int x, int y) {
    return pixels[static_cast<std::size_t>(y * width + x)];
}

// Channels within `tolerance` of each other (alpha included).
inline bool closeColour(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        if (ca - cb > tolerance || cb - ca > tolerance)
            return false;
    }
    return true;
}
