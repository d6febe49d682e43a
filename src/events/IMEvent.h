#pragma once
// Event value objects passed by const reference to every handler and signal of the toolkit.

#include "events/WinTypes.h"

class IMControl;

class IMEvent {
public:
    IMEvent(IMControl* source_, std::uint32_t message_) : source(source_), message(message_) {}
    virtual ~IMEvent() = default;
    IMEvent(const IMEvent&) = default;
    IMEvent& operator=(const IMEvent&) = default;

    virtual bool isMessage(std::uint32_t m) const { return message == m; }

    IMControl* source;
    std::uint32_t message;
};

class IMWindowsEvent : public IMEvent {
public:
    IMWindowsEvent(IMControl* source_, std::uint32_t message_, WPARAM wParam_, LPARAM lParam_)
        : IMEvent(source_, message_), wParam(wParam_), lParam(lParam_) {}

    WPARAM wParam;
    LPARAM lParam;
};

class IMKeyboardEvent : public IMWindowsEvent {
public:
    using IMWindowsEvent::IMWindowsEvent;
    virtual bool isKeyMessage(std::uint32_t m) const { return message == m; }
};

class IMMouseEvent : public IMWindowsEvent {
public:
    IMMouseEvent(IMControl* source_, std::uint32_t message_, WPARAM wParam_, int x_, int y_)
        : IMWindowsEvent(source_, message_, wParam_, 0), x(x_), y(y_) {}
    virtual bool isMouseMessage(std::uint32_t m) const { return message == m; }

    int x;
    int y;
};
