#include "window/IMResourceManager.h"

#include <memory>
#include <stdexcept>

#include "platform/sdl/SdlRenderFactory.h"

namespace {

std::unique_ptr<IMResourceManager> theResourceManager;

} // namespace

IMResourceManager::IMResourceManager() { setTextureRegistry(this); }

IMResourceManager::~IMResourceManager() {
    if (textureRegistry() == this) setTextureRegistry(nullptr);
}

IMResourceManager* resourceManager() { return theResourceManager.get(); }

void startResources(platform::NativeWindow& window, bool /*windowed*/) {
    // The window decides full screen or windowed; the renderer always draws an 800 x 600 picture.
    shutdownResources();
    theResourceManager = std::make_unique<IMResourceManager>();
    theResourceManager->startSound(); // without sound the program goes on silently
    std::unique_ptr<render::RenderBackend> backend = platform::createSdlRenderBackend(window);
    if (!backend) {
        theResourceManager.reset();
        throw std::runtime_error("Не могу создать устройство Direct3D");
    }
    theResourceManager->attachBackend(std::move(backend));
    theResourceManager->registerSkinSet();
}

void shutdownResources() {
    if (!theResourceManager) return;
    theResourceManager->releaseSkinSet();
    theResourceManager->reportFrameRate();
    theResourceManager.reset();
}
