#pragma once
// The one native window of the program. The picture is always 800 × 600 client pixels; on a larger
// desktop it is scaled uniformly and letterboxed by the renderer.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class NativeWindow {
public:
    struct Impl;

    // Makes the window: full screen at the desktop resolution, or a plain 800 × 600 window when
    // `windowed`. Returns null and fills `error` when the display cannot give a window.
    static std::unique_ptr<NativeWindow> create(const std::wstring& caption, int width, int height,
                                                bool windowed, std::string& error);
    ~NativeWindow();
    NativeWindow(const NativeWindow&) = delete;
    NativeWindow& operator=(const NativeWindow&) = delete;

    void show();
    void hide();
    // Called once the first picture is on screen: whatever showing the window still needs and
    // may wait for (the window manager's answer to full screen) happens now, not before it.
    void finishShowing();

    // Window icon from 32-bit ARGB pixels (row-major, no padding).
    void setIcon(const std::uint32_t* argb, int width, int height);
    bool windowed() const;
    int width() const;
    int height() const;

    Impl& impl() { return *impl_; }

private:
    explicit NativeWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
