#pragma once
// Physical keys to Win32 virtual-key codes, so that Ctrl+I is 0x49 under any keyboard layout.

#include <SDL.h>

#include "events/WinTypes.h"

namespace platform {

// 0 when the key has no virtual-key code.
WPARAM virtualKeyOf(SDL_Scancode scancode);

// True for keys Windows flags as extended (bit 24 of the key data).
bool isExtendedKey(SDL_Scancode scancode);

} // namespace platform
