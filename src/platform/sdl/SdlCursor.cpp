#include <SDL.h>

#include "platform/Cursor.h"

namespace platform {

namespace {

int displayCount = 0;

SDL_Window* mainWindow() {
    SDL_Window* w = SDL_GetMouseFocus();
    if (!w) w = SDL_GetKeyboardFocus();
    if (!w) w = SDL_GetWindowFromID(1);
    return w;
}

} // namespace

int showCursor(bool show) {
    displayCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(displayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return displayCount;
}

int cursorDisplayCount() { return displayCount; }

bool getCursorPos(POINT& p) {
    int wx = 0;
    int wy = 0;
    SDL_GetMouseState(&wx, &wy);
    SDL_Window* w = mainWindow();
    SDL_Renderer* r = w ? SDL_GetRenderer(w) : nullptr;
    if (r) {
        float lx = 0;
        float ly = 0;
        SDL_RenderWindowToLogical(r, wx, wy, &lx, &ly);
        p.x = static_cast<int>(lx >= 0 ? lx : lx - 1);
        p.y = static_cast<int>(ly >= 0 ? ly : ly - 1);
    } else {
        p.x = wx;
        p.y = wy;
    }
    return true;
}

bool setCursorPos(int x, int y) {
    SDL_Window* w = mainWindow();
    if (!w) return false;
    SDL_Renderer* r = SDL_GetRenderer(w);
    int wx = x;
    int wy = y;
    if (r) {
        // Through the letterbox mapping, aiming at the centre of the logical pixel.
        SDL_RenderLogicalToWindow(r, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                                  &wx, &wy);
    }
    SDL_WarpMouseInWindow(w, wx, wy);
    return true;
}

bool clientToScreen(POINT&) {
    // The full-screen picture's client origin is the screen origin.
    return true;
}

} // namespace platform
