#pragma once
// Helpers for the screens' tests: keys and clicks sent through the window, and the look of the
// window read back from the renderer.

#include <cstdint>
#include <string>
#include <vector>

#include "support/WindowFixture.h"
#include "window/IMResourceManager.h"

class ScreenFixture : public WindowFixture {
protected:
    void settle() {
        for (int i = 0; i < 3; ++i) update();
    }
    void send(std::uint32_t message, WPARAM wParam, int x = 0, int y = 0) {
        window->handleMessage(platform::NativeMessage{message, wParam, 0, x, y});
    }
    void pressKey(WPARAM vk) {
        send(WM_KEYDOWN, vk);
        send(WM_KEYUP, vk);
        settle();
    }
    void type(const std::wstring& text) {
        for (wchar_t c : text) send(WM_CHAR, static_cast<WPARAM>(c));
        settle();
    }
    void click(int x, int y) {
        send(WM_MOUSEMOVE, 0, x, y);
        send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        send(WM_LBUTTONUP, 0, x, y);
        settle();
    }

    // The whole screen as the next frame shows it, ARGB row by row.
    std::vector<std::uint32_t> grab() {
        settle();
        window->render();
        std::vector<std::uint32_t> px;
        EXPECT_TRUE(resourceManager()->readPixels(RECT{0, 0, 800, 600}, px));
        return px;
    }
    static std::uint32_t at(const std::vector<std::uint32_t>& px, int x, int y) {
        return px.at(static_cast<std::size_t>(y * 800 + x));
    }
    // Pixels of `area` within `tolerance` of `colour` in every colour channel.
    static int countNear(const std::vector<std::uint32_t>& px, const RECT& area, std::uint32_t colour,
                         int tolerance = 48) {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const std::uint32_t p = at(px, x, y);
                bool near = true;
                for (int shift : {0, 8, 16}) {
                    const int d = static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF);
                    if (d > tolerance || d < -tolerance) near = false;
                }
                n += near;
            }
        return n;
    }
};
