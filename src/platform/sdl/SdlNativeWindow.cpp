#include <SDL.h>

#include <cstring>

#include "platform/Platform.h"
#include "platform/sdl/SdlWindowAccess.h"

namespace platform {

namespace {
SDL_Window* liveWindow = nullptr;
} // namespace

SDL_Window* liveSdlWindow() { return liveWindow; }

NativeWindow::NativeWindow(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

NativeWindow::~NativeWindow() {
    if (impl_ && impl_->window) {
        if (liveWindow == impl_->window) liveWindow = nullptr;
        SDL_DestroyWindow(impl_->window);
    }
}

std::unique_ptr<NativeWindow> NativeWindow::create(const std::wstring& caption, int width,
                                                   int height, bool windowed, std::string& error) {
    if (!initVideo(error)) return nullptr;
    // The exercise runs full screen; the renderer letterboxes the 800 × 600 picture.
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height};
    bool askFullScreenLater = false;
    if (!windowed) {
        // Full screen is the window manager's to grant. Without one (a kiosk session on a bare X
        // server) the request goes unanswered while SDL believes it was granted, so the window
        // is made as a borderless one covering the screen from the start: the size SDL believes
        // in is then the window's real size, and so are the letterbox and the pointer mapping.
        // On X, SDL then waits up to 100 ms for the manager's answer; that wait is put after the
        // first picture (finishShowing) instead of before it, since the window already covers
        // the screen.
        const char* driver = SDL_GetCurrentVideoDriver();
        askFullScreenLater = driver && std::strcmp(driver, "x11") == 0;
        if (!askFullScreenLater) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_Rect screen{};
        if (SDL_GetDisplayBounds(0, &screen) == 0 && screen.w > 0 && screen.h > 0) {
            flags |= SDL_WINDOW_BORDERLESS;
            place = screen;
        } else if (askFullScreenLater) {
            flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
            askFullScreenLater = false;
        }
    }
    SDL_Window* window = SDL_CreateWindow(toUtf8(caption).c_str(), place.x, place.y, place.w,
                                          place.h, flags);
    if (!window) {
        error = SDL_GetError();
        return nullptr;
    }
    liveWindow = window;
    auto impl = std::make_unique<Impl>();
    impl->window = window;
    impl->windowed = windowed;
    impl->width = width;
    impl->height = height;
    impl->fullScreenAsked = !askFullScreenLater;
    return std::unique_ptr<NativeWindow>(new NativeWindow(std::move(impl)));
}

void NativeWindow::setIcon(const std::uint32_t* argb, int width, int height) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(argb), width, height, 32, width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(impl_->window, surface);
    SDL_FreeSurface(surface);
}

void NativeWindow::show() { SDL_ShowWindow(impl_->window); }
void NativeWindow::hide() { SDL_HideWindow(impl_->window); }

void NativeWindow::finishShowing() {
    if (impl_->fullScreenAsked) return;
    impl_->fullScreenAsked = true;
    SDL_SetWindowFullscreen(impl_->window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

bool NativeWindow::windowed() const { return impl_->windowed; }
int NativeWindow::width() const { return impl_->width; }
int NativeWindow::height() const { return impl_->height; }

} // namespace platform
