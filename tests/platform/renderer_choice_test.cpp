// The accelerated renderer is for real GPUs only: CPU rasterisers behind OpenGL are recognised by
// their GL_RENDERER strings, and a display without a GPU gets SDL's software renderer presented
// without OpenGL.

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/NativeWindow.h"
#include "platform/Platform.h"
#include "platform/sdl/SdlRenderFactory.h"
#include "platform/sdl/SdlRendererChoice.h"

namespace {

struct RasterizerCase {
    const char* glRenderer;
    bool onCpu;
};

TEST(RendererChoice, RecognisesCpuRasterisersByTheirGlRendererString) {
    const RasterizerCase cases[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"LLVMPIPE (LLVM 11.0.1, 128 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa DRI swrast", true},
        {"lavapipe", true},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0)", false},
        {"NVIDIA GeForce GTX 1050/PCIe/SSE2", false},
        {"virgl (Mesa)", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::isSoftwareRasterizer(c.glRenderer), c.onCpu) << c.glRenderer;
}

// With no renderer named and no GPU to be had, the window is drawn by the software renderer and
// SDL is told not to present its surface through OpenGL.
TEST(RendererChoice, WithoutAGpuTheSoftwareRendererDrawsWithoutOpenGl) {
    std::string error;
    ASSERT_TRUE(platform::initVideo(error)) << error;
    const std::string named = SDL_GetHint(SDL_HINT_RENDER_DRIVER) ? SDL_GetHint(SDL_HINT_RENDER_DRIVER) : "";
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "", SDL_HINT_OVERRIDE);
    auto window = platform::NativeWindow::create(L"choice", 800, 600, true, error);
    ASSERT_NE(window, nullptr) << error;
    auto backend = platform::createSdlRenderBackend(*window);
    ASSERT_NE(backend, nullptr);
    EXPECT_EQ(platform::describeRenderer(*backend).rfind("software ", 0), 0u)
        << platform::describeRenderer(*backend);
    const char* acceleration = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
    ASSERT_NE(acceleration, nullptr);
    EXPECT_STREQ(acceleration, "0");
    backend.reset();
    window.reset();
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, named.c_str(), SDL_HINT_OVERRIDE);
}

} // namespace
