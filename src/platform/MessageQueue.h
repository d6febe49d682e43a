#pragma once
// The native message queue: SDL events translated into Win32 messages, messages posted by the
// program itself (the quit message) and registered messages posted from other threads.

#include <cstdint>
#include <string>

#include "events/WinTypes.h"

namespace platform {

struct NativeMessage {
    std::uint32_t message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    // Client coordinates of mouse messages (the signed low/high words of lParam on Win32).
    int x = 0;
    int y = 0;
};

// Takes the next message without waiting; false when the queue is empty.
bool peekMessage(NativeMessage& out);

// Sleeps until input or a posted message arrives, or at most `timeoutMs` (no limit when negative).
void waitForMessages(int timeoutMs);

// PostQuitMessage: WM_QUIT is taken after the messages already queued.
void postQuitMessage(int exitCode);

// RegisterWindowMessageW: the same name gives the same number (0xC000 and up).
std::uint32_t registerMessage(const std::wstring& name);

// PostMessageW of a registered message; safe from any thread and wakes a waiting loop.
bool postMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam);

// Drops everything still queued (used when a window is made anew, e.g. in tests).
void discardMessages();

} // namespace platform
