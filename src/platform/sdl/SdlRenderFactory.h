#pragma once
// Makes the SDL renderer behind the device layer. No SDL types here so that resources code can
// create it.

#include "render/RenderBackend.h"

#include <memory>
#include <string>

namespace platform {

class NativeWindow;

// A renderer for the window with an 800 x 600 logical picture, accelerated on a real GPU and the
// software renderer otherwise; null when neither can be made.
std::unique_ptr<render::RenderBackend> createSdlRenderBackend(NativeWindow& window);

// The renderer's name and output size ("software 1920x1080"), for logs and benchmarks.
std::string describeRenderer(render::RenderBackend& backend);

} // namespace platform
