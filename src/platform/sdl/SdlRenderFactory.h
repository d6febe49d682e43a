#pragma once
// Makes the SDL renderer behind the device layer. No SDL types here so that resources code can
// create it.

#include "render/RenderBackend.h"

#include <memory>

namespace platform {

class NativeWindow;

// A renderer for the window with an 800 x 600 logical picture, accelerated when available and the
// software renderer otherwise; null when neither can be made.
std::unique_ptr<render::RenderBackend> createSdlRenderBackend(NativeWindow& window);

} // namespace platform
