#include "platform/sdl/SdlEventTranslator.h"

#include <string>

#include "platform/Platform.h"
#include "platform/sdl/SdlKeyMap.h"

namespace platform {

namespace {

WPARAM buttonFlag(Uint8 button) {
    switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    default: return 0;
    }
}

NativeMessage mouseMessage(std::uint32_t message, WPARAM flags, int x, int y) {
    NativeMessage m;
    m.message = message;
    m.wParam = flags;
    // Win32 packs client coordinates into signed 16-bit words; keep that range and sign.
    m.x = static_cast<std::int16_t>(x);
    m.y = static_cast<std::int16_t>(y);
    m.lParam = static_cast<LPARAM>((static_cast<std::uint32_t>(m.y & 0xFFFF) << 16) |
                                   static_cast<std::uint32_t>(m.x & 0xFFFF));
    return m;
}

} // namespace

WPARAM SdlEventTranslator::mouseFlags() const {
    WPARAM flags = buttons_;
    SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) flags |= MK_SHIFT;
    if (mod & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

void SdlEventTranslator::translate(const SDL_Event& event, std::vector<NativeMessage>& out) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: key(event.key, out); break;
    case SDL_TEXTINPUT: text(event.text, out); break;
    case SDL_MOUSEMOTION:
        lastX_ = event.motion.x;
        lastY_ = event.motion.y;
        out.push_back(mouseMessage(WM_MOUSEMOVE, mouseFlags(), event.motion.x, event.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: button(event.button, out); break;
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        if (notches == 0) break;
        int delta = notches * 120;
        WPARAM wParam = (static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16) |
                        (mouseFlags() & 0xFFFF);
        out.push_back(mouseMessage(WM_MOUSEWHEEL, wParam, lastX_, lastY_));
        break;
    }
    case SDL_WINDOWEVENT: window(event.window, out); break;
    case SDL_QUIT: {
        // The window manager's close request, SIGTERM and SIGINT: the same path as closing the
        // window, so that whatever is saved on closing is saved.
        NativeMessage m;
        m.message = WM_CLOSE;
        out.push_back(m);
        break;
    }
    default:
        if (postedType_ != 0 && event.type == postedType_) {
            NativeMessage m;
            m.message = static_cast<std::uint32_t>(event.user.code);
            m.wParam = static_cast<WPARAM>(reinterpret_cast<std::uintptr_t>(event.user.data1));
            m.lParam = static_cast<LPARAM>(reinterpret_cast<std::intptr_t>(event.user.data2));
            out.push_back(m);
        }
        break;
    }
}

void SdlEventTranslator::key(const SDL_KeyboardEvent& e, std::vector<NativeMessage>& out) {
    const bool down = e.type == SDL_KEYDOWN;
    const SDL_Scancode sc = e.keysym.scancode;
    const WPARAM vk = virtualKeyOf(sc);
    const bool alt = (e.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (e.keysym.mod & KMOD_CTRL) != 0;

    // Key data as Win32 packs it: repeat count, scan code, extended flag, previous state, transition.
    std::uint32_t data = 1u | ((static_cast<std::uint32_t>(sc) & 0xFF) << 16);
    if (isExtendedKey(sc)) data |= 1u << 24;
    if (alt) data |= 1u << 29;
    if (!down || e.repeat) data |= 1u << 30;
    if (!down) data |= 1u << 31;

    if (vk != 0) {
        NativeMessage m;
        // Alt held (or F10) makes a system key, as on Win32.
        const bool system = alt || vk == VK_F10;
        m.message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
        m.wParam = vk;
        m.lParam = static_cast<LPARAM>(data);
        out.push_back(m);
    }
    if (!down) return;

    // Alt+F4 asks to close the window, as the default window procedure does.
    if (alt && vk == VK_F4) {
        NativeMessage m;
        m.message = WM_CLOSE;
        out.push_back(m);
        return;
    }

    // Keys that produce no text input still produce WM_CHAR codes.
    WPARAM ch = 0;
    if (ctrl && !alt && sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
        ch = 1 + (sc - SDL_SCANCODE_A);
    } else {
        switch (vk) {
        case VK_BACK: ch = 8; break;
        case VK_TAB: ch = 9; break;
        case VK_RETURN: ch = 13; break;
        case VK_ESCAPE: ch = 27; break;
        default: break;
        }
    }
    if (ch != 0) {
        NativeMessage m;
        m.message = WM_CHAR;
        m.wParam = ch;
        m.lParam = static_cast<LPARAM>(data);
        out.push_back(m);
    }
}

void SdlEventTranslator::text(const SDL_TextInputEvent& e, std::vector<NativeMessage>& out) {
    // One WM_CHAR per UTF-16 code unit, so characters outside the BMP arrive as surrogate pairs.
    const std::wstring units = utf8ToWide(e.text);
    for (wchar_t unit : units) {
        NativeMessage m;
        m.message = WM_CHAR;
        m.wParam = static_cast<WPARAM>(unit) & 0xFFFF;
        m.lParam = 1;
        out.push_back(m);
    }
}

void SdlEventTranslator::button(const SDL_MouseButtonEvent& e, std::vector<NativeMessage>& out) {
    const WPARAM flag = buttonFlag(e.button);
    if (flag == 0) return;
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    if (down)
        buttons_ |= flag;
    else
        buttons_ &= ~flag;
    lastX_ = e.x;
    lastY_ = e.y;

    std::uint32_t message = 0;
    // A second press in quick succession is a double click (the class has CS_DBLCLKS).
    const bool dbl = down && e.clicks >= 2 && e.clicks % 2 == 0;
    if (flag == MK_LBUTTON) message = down ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP;
    if (flag == MK_RBUTTON) message = down ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP;
    if (flag == MK_MBUTTON) message = down ? (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP;
    out.push_back(mouseMessage(message, mouseFlags(), e.x, e.y));
}

void SdlEventTranslator::window(const SDL_WindowEvent& e, std::vector<NativeMessage>& out) {
    auto push = [&out](std::uint32_t message, WPARAM wParam) {
        NativeMessage m;
        m.message = message;
        m.wParam = wParam;
        out.push_back(m);
    };
    switch (e.event) {
    case SDL_WINDOWEVENT_MINIMIZED: push(WM_SIZE, SIZE_MINIMIZED); break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_MAXIMIZED:
        push(WM_SIZE, SIZE_RESTORED);
        push(WM_PAINT, 0);
        break;
    case SDL_WINDOWEVENT_HIDDEN: push(WM_SHOWWINDOW, 0); break;
    case SDL_WINDOWEVENT_SHOWN:
        push(WM_SHOWWINDOW, 1);
        push(WM_PAINT, 0);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: push(WM_PAINT, 0); break;
    case SDL_WINDOWEVENT_CLOSE: push(WM_CLOSE, 0); break;
    default: break;
    }
}

} // namespace platform
