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

// Recomputes the checksum of every Ogg page found in `bytes`, so that damage made to page
// contents reaches the decoders instead of making the pages vanish.
inline void fixOggChecksums(std::vector<std::uint8_t>& bytes) {
    static const auto table = [] {
        std::vector<std::uint32_t> t(256);
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    std::size_t at = 0;
    while (at + 27 <= bytes.size()) {
        if (bytes[at] != 'O' || bytes[at + 1] != 'g' || bytes[at + 2] != 'g' || bytes[at + 3] != 'S') {
            ++at;
            continue;
        }
        const std::size_t segments = bytes[at + 26];
        if (at + 27 + segments > bytes.size()) break;
        std::size_t length = 27 + segments;
        for (std::size_t i = 0; i < segments; ++i) length += bytes[at + 27 + i];
        if (at + length > bytes.size()) break;
        for (int i = 22; i < 26; ++i) bytes[at + i] = 0;
        std::uint32_t crc = 0;
        for (std::size_t i = 0; i < length; ++i) crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ bytes[at + i]];
        for (int i = 0; i < 4; ++i) bytes[at + 22 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
        at += length;
    }
}

inline void pumpFor(IMWindow* window, int ms) {
    pumpUntil(window, [] { return false; }, ms);
}

} // namespace media_test
