#pragma once
// Start and end of the platform layer (video and event subsystems).

#include <string>

namespace platform {

// Initialises the video and event subsystems once; false with a reason when no display is usable.
bool initVideo(std::string& error);
void shutdownVideo();

// UTF conversions at the platform boundary. Text inside the system is wide, holding UTF-16 code
// units; the platform speaks UTF-8.
std::string toUtf8(const std::wstring& text);
std::wstring utf8ToWide(const std::string& text);

// A diagnostic line on standard error (the debugger output of the original platform).
void debugOutput(const std::wstring& text);

} // namespace platform
