#include "exercise/ExerciseSounds.h"

#include "window/IMResourceManager.h"

namespace exercise {

SoundRequestSignal& soundRequests() {
    static SoundRequestSignal signal;
    return signal;
}

bool playSoundOnce(const std::wstring& name) {
    soundRequests()(name);
    IMResourceManager* sounds = resourceManager();
    if (!sounds) return false;
    const std::uint32_t id = sounds->loadSound(name);
    return id != 0 && sounds->playSound(id, false);
}

} // namespace exercise
