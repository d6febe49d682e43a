#include <SDL.h>

#include <cstdio>

#include "platform/Platform.h"

namespace platform {

namespace {
// A display server that is named may refuse a connection for a moment: one still starting (a
// kiosk session that starts the program at login), or Xvfb right after another client left (the
// connection's setup then fails with EAGAIN, about one start in twenty when a program starts the
// moment another ended). Such a display gets this long before the failure stands; with no display
// named there is nothing to wait for.
constexpr int kDisplayAttempts = 10;
constexpr Uint32 kDisplayRetryMs = 100;

bool displayNamed() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = SDL_getenv(variable);
        if (value && *value) return true;
    }
    return false;
}
} // namespace

bool initVideo(std::string& error) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    const int attempts = displayNamed() ? kDisplayAttempts : 1;
    for (int attempt = 1;; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0) return true;
        if (attempt == attempts) break;
        SDL_Delay(kDisplayRetryMs);
    }
    error = SDL_GetError();
    return false;
}

void shutdownVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        // Wide strings carry UTF-16 code units: join surrogate pairs, replace lone halves.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            char32_t lo = static_cast<char32_t>(text[i + 1]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x110000) {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

std::wstring utf8ToWide(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char b = s[i];
        char32_t c = 0xFFFD;
        std::size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > n) {
                len = 1;
            } else {
                char32_t v = b & (0x7F >> len);
                bool ok = true;
                for (std::size_t k = 1; k < len; ++k) {
                    if ((s[i + k] & 0xC0) != 0x80) {
                        ok = false;
                        break;
                    }
                    v = (v << 6) | (s[i + k] & 0x3F);
                }
                static constexpr char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
                if (ok && v >= minimum[len] && v < 0x110000 && !(v >= 0xD800 && v <= 0xDFFF))
                    c = v;
                else
                    len = 1;
            }
        }
        i += len;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

void debugOutput(const std::wstring& text) {
    std::string line = toUtf8(text);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace platform
