#pragma once
// Shared by the media tests: the committed sample sounds and clips, and waiting for the worker
// threads' notices while the window's loop runs.

#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/OggChecksums.h"
#include "window/IMWindow.h"

namespace media_test {

// The tests run headless: SDL's dummy audio driver (real-time paced, no sound card needed) and
// the offscreen video driver, unless the environment already names others. Set before main().
inline const bool headlessDrivers = [] {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    return true;
}();

inline std::filesystem::path dataPath(const std::string& name) {
    return std::filesystem::path(TAVRELO_SOURCE_DIR) / "tests" / "data" / "media" / name;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::wstring widePath(const std::filesystem::path& path) {
    const std::string s = path.string();
    return std::wstring(s.begin(), s.end()); // the test paths are ASCII
}

// Runs the window's loop (messages, update, timers) until `done` or `timeoutMs` of real time.
inline bool pumpUntil(IMWindow* window, const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        window->pumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void pumpFor(IMWindow* window, int ms) {
    pumpUntil(window, [] { return false; }, ms);
}

} // namespace media_test
