#pragma once
// Turns SDL events into the Win32 messages the control tree expects.

#include <SDL.h>

#include <vector>

#include "platform/MessageQueue.h"

namespace platform {

class SdlEventTranslator {
public:
    // `postedEventType` is the SDL user event that carries registered messages between threads.
    explicit SdlEventTranslator(Uint32 postedEventType = 0) : postedType_(postedEventType) {}

    // Appends the messages `event` stands for (none for events the tree does not know).
    void translate(const SDL_Event& event, std::vector<NativeMessage>& out);

private:
    void key(const SDL_KeyboardEvent& e, std::vector<NativeMessage>& out);
    void text(const SDL_TextInputEvent& e, std::vector<NativeMessage>& out);
    void button(const SDL_MouseButtonEvent& e, std::vector<NativeMessage>& out);
    void window(const SDL_WindowEvent& e, std::vector<NativeMessage>& out);
    WPARAM mouseFlags() const;

    Uint32 postedType_;
    WPARAM buttons_ = 0; // MK_ flags of the buttons held
    int lastX_ = 0;
    int lastY_ = 0;
};

} // namespace platform
