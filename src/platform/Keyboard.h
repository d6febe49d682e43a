#pragma once
// Asynchronous key state (GetAsyncKeyState), by virtual-key code.

#include "events/WinTypes.h"

namespace platform {

bool isKeyDown(WPARAM virtualKey);

} // namespace platform
