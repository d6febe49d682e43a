#include <SDL.h>

#include "platform/Cursor.h"
#include "platform/sdl/SdlWindowAccess.h"

namespace platform {

namespace {

int displayCount = 0;

SDL_Window* mainWindow() {
    SDL_Window* w = SDL_GetMouseFocus();
    if (!w) w = liveSdlWindow();
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
        // Through the letterbox mapping. Window pixels read back by their top-left corner
        // (getCursorPos and SDL's own event scaling alike), so take the first window pixel whose
        // corner lies inside the logical pixel: the mapped corner, or the next one when the
        // mapping truncated it to a pixel that reads back as the logical pixel before.
        SDL_RenderLogicalToWindow(r, static_cast<float>(x), static_cast<float>(y), &wx, &wy);
        float lx = 0;
        float ly = 0;
        SDL_RenderWindowToLogical(r, wx, wy, &lx, &ly);
        if (lx < static_cast<float>(x)) ++wx;
        if (ly < static_cast<float>(y)) ++wy;
    }
    SDL_WarpMouseInWindow(w, wx, wy);
    return true;
}

bool clientToScreen(POINT&) {
    // The full-screen picture's client origin is the screen origin.
    return true;
}

} // namespace platform
