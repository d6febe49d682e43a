#pragma once
// The Win32 vocabulary the control tree speaks: rectangles, points, message numbers, virtual-key
// codes and mouse-button flags. The platform layer translates native input into these values.

#include <cstdint>

struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const RECT&, const RECT&) = default;
};

struct POINT {
    int x = 0;
    int y = 0;
    friend bool operator==(const POINT&, const POINT&) = default;
};

// PtInRect semantics: left/top inclusive, right/bottom exclusive.
inline bool ptInRect(const RECT& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}
inline bool isRectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT intersectRect(const RECT& a, const RECT& b) {
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (isRectEmpty(r)) return RECT{};
    return r;
}
// The smallest rectangle holding both; an empty one adds nothing.
inline RECT unionRect(const RECT& a, const RECT& b) {
    if (isRectEmpty(a)) return isRectEmpty(b) ? RECT{} : b;
    if (isRectEmpty(b)) return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}
inline RECT offsetRect(const RECT& r, int dx, int dy) {
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

using WPARAM = std::uint32_t;
using LPARAM = std::int32_t;

// Messages the toolkit itself puts into events.
enum ToolkitMessage : std::uint32_t {
    IM_MSG_STATE = 0,
    IM_MSG_PAINT = 15,
    IM_MSG_CLOSE = 16, // also the per-iteration update pass
    IM_MSG_FOCUS_GAINED = 17,
    IM_MSG_FOCUS_LOST = 18,
    IM_MSG_MOUSE_ENTER = 523,
    IM_MSG_LEFT_CLICK = 524,
    IM_MSG_RIGHT_CLICK = 525,
    IM_MSG_MIDDLE_CLICK = 526,
};

enum WindowsMessage : std::uint32_t {
    WM_NULL = 0,
    WM_DESTROY = 2,
    WM_SIZE = 5,
    WM_PAINT = 15,
    WM_CLOSE = 16,
    WM_QUIT = 18,
    WM_SHOWWINDOW = 24,
    WM_KEYDOWN = 256,
    WM_KEYUP = 257,
    WM_CHAR = 258,
    WM_SYSKEYDOWN = 260,
    WM_SYSKEYUP = 261,
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_RBUTTONDBLCLK = 518,
    WM_MBUTTONDOWN = 519,
    WM_MBUTTONUP = 520,
    WM_MBUTTONDBLCLK = 521,
    WM_MOUSEWHEEL = 522,
    WM_ENTERSIZEMOVE = 561,
    WM_EXITSIZEMOVE = 562,
    WM_MOUSELEAVE = 675,
};

enum : WPARAM {
    SIZE_RESTORED = 0,
    SIZE_MINIMIZED = 1,
};

enum MouseKeyFlag : WPARAM {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

enum VirtualKey : WPARAM {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_NUMPAD0 = 0x60,
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,
    VK_F4 = 0x73,
    VK_F10 = 0x79,
    VK_F12 = 0x7B,
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
};

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;
