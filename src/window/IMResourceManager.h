#pragma once
// The one process-wide resource object: texture registry and graphics device (and, through
// further bases and members, the sound system and the text views' font cache).

#include "media/CSoundSystem.h"
#include "resources/TextureRegistry.h"

namespace platform {
class NativeWindow;
}

class IMResourceManager : public CSoundSystem, public TextureRegistry {
public:
    // Registers itself as the live texture registry for its lifetime.
    IMResourceManager();
    ~IMResourceManager() override;
};

// The live resource manager, or null outside startResources ... shutdownResources.
IMResourceManager* resourceManager();

// Creates the resource manager, the renderer for the window (800 x 600 logical picture,
// letterboxed) and registers the 57 skin pictures. Throws std::runtime_error
// ("Не могу создать устройство Direct3D") when no renderer can be made for the window.
void startResources(platform::NativeWindow& window, bool windowed);
// Gives back the skin pictures' start-up references, writes the frame-rate line and destroys the
// resource manager.
void shutdownResources();
