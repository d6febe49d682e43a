#include <SDL.h>

#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/sdl/SdlEventTranslator.h"

namespace platform {

namespace {

struct Queue {
    std::mutex namesMutex;
    std::map<std::wstring, std::uint32_t> registered;
    Uint32 postedType = 0;
    std::deque<NativeMessage> ready; // translated, not yet taken (main thread only)
    bool quitPosted = false;
    SdlEventTranslator translator;

    Uint32 ensurePostedType() {
        if (postedType == 0) {
            postedType = SDL_RegisterEvents(1);
            if (postedType == static_cast<Uint32>(-1)) postedType = 0;
            translator = SdlEventTranslator(postedType);
        }
        return postedType;
    }
};

Queue& queue() {
    static Queue q;
    return q;
}

} // namespace

bool peekMessage(NativeMessage& out) {
    Queue& q = queue();
    q.ensurePostedType();
    std::vector<NativeMessage> translated;
    SDL_Event event;
    while (q.ready.empty() && SDL_PollEvent(&event)) {
        translated.clear();
        q.translator.translate(event, translated);
        q.ready.insert(q.ready.end(), translated.begin(), translated.end());
    }
    if (!q.ready.empty()) {
        out = q.ready.front();
        q.ready.pop_front();
        return true;
    }
    if (q.quitPosted) {
        // WM_QUIT comes out only when nothing else is waiting, as on Win32.
        q.quitPosted = false;
        out = NativeMessage{};
        out.message = WM_QUIT;
        return true;
    }
    return false;
}

void waitForMessages(int timeoutMs) {
    Queue& q = queue();
    if (!q.ready.empty() || q.quitPosted) return;
    if (timeoutMs == 0) return;
    // A negative timeout waits for input or a posted message only (SDL's -1).
    SDL_WaitEventTimeout(nullptr, timeoutMs < 0 ? -1 : timeoutMs);
}

void postQuitMessage(int) { queue().quitPosted = true; }

std::uint32_t registerMessage(const std::wstring& name) {
    Queue& q = queue();
    std::lock_guard<std::mutex> lock(q.namesMutex);
    auto it = q.registered.find(name);
    if (it != q.registered.end()) return it->second;
    auto number = static_cast<std::uint32_t>(0xC000 + q.registered.size());
    q.registered.emplace(name, number);
    return number;
}

bool postMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    Uint32 type = 0;
    {
        Queue& q = queue();
        std::lock_guard<std::mutex> lock(q.namesMutex);
        type = q.ensurePostedType();
    }
    if (type == 0 || SDL_WasInit(SDL_INIT_EVENTS) == 0) return false;
    SDL_Event event{};
    event.type = type;
    event.user.code = static_cast<Sint32>(message);
    event.user.data1 = reinterpret_cast<void*>(static_cast<std::uintptr_t>(wParam));
    event.user.data2 = reinterpret_cast<void*>(static_cast<std::intptr_t>(lParam));
    return SDL_PushEvent(&event) == 1;
}

void discardMessages() {
    Queue& q = queue();
    q.ready.clear();
    q.quitPosted = false;
    if (SDL_WasInit(SDL_INIT_EVENTS) != 0) {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
}

} // namespace platform
