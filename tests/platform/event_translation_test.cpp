// SDL events become the Win32 messages, virtual keys, MK_ flags and WM_CHAR codes the tree expects.

#include <SDL.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/Platform.h"
#include "platform/sdl/SdlEventTranslator.h"

namespace {

using platform::NativeMessage;

SDL_Event keyEvent(Uint32 type, SDL_Scancode sc, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = sc;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

std::vector<NativeMessage> translate(const std::vector<SDL_Event>& events) {
    platform::SdlEventTranslator t;
    std::vector<NativeMessage> out;
    for (const auto& e : events) t.translate(e, out);
    return out;
}

struct KeyCase {
    const char* name;
    SDL_Scancode scancode;
    Uint16 mod;
    std::uint32_t message;
    WPARAM vk;
    WPARAM charCode; // 0: no WM_CHAR follows
};

class KeyTranslation : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTranslation, GivesVirtualKeyAndCharacter) {
    const KeyCase& c = GetParam();
    auto out = translate({keyEvent(SDL_KEYDOWN, c.scancode, c.mod)});
    ASSERT_GE(out.size(), 1u);
    EXPECT_EQ(out[0].message, c.message);
    EXPECT_EQ(out[0].wParam, c.vk);
    EXPECT_EQ(out[0].lParam & 1, 1) << "repeat count 1";
    if (c.charCode == 0) {
        EXPECT_EQ(out.size(), 1u);
    } else {
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[1].message, WM_CHAR);
        EXPECT_EQ(out[1].wParam, c.charCode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyTranslation,
    ::testing::Values(KeyCase{"F1", SDL_SCANCODE_F1, KMOD_NONE, WM_KEYDOWN, 112, 0},
                      KeyCase{"F12", SDL_SCANCODE_F12, KMOD_NONE, WM_KEYDOWN, 123, 0},
                      KeyCase{"Esc", SDL_SCANCODE_ESCAPE, KMOD_NONE, WM_KEYDOWN, 27, 27},
                      KeyCase{"Enter", SDL_SCANCODE_RETURN, KMOD_NONE, WM_KEYDOWN, 13, 13},
                      KeyCase{"KeypadEnter", SDL_SCANCODE_KP_ENTER, KMOD_NONE, WM_KEYDOWN, 13, 13},
                      KeyCase{"Backspace", SDL_SCANCODE_BACKSPACE, KMOD_NONE, WM_KEYDOWN, 8, 8},
                      KeyCase{"Tab", SDL_SCANCODE_TAB, KMOD_NONE, WM_KEYDOWN, 9, 9},
                      KeyCase{"Space", SDL_SCANCODE_SPACE, KMOD_NONE, WM_KEYDOWN, 32, 0},
                      KeyCase{"Left", SDL_SCANCODE_LEFT, KMOD_NONE, WM_KEYDOWN, 37, 0},
                      KeyCase{"Down", SDL_SCANCODE_DOWN, KMOD_NONE, WM_KEYDOWN, 40, 0},
                      KeyCase{"Delete", SDL_SCANCODE_DELETE, KMOD_NONE, WM_KEYDOWN, 46, 0},
                      KeyCase{"LetterI", SDL_SCANCODE_I, KMOD_NONE, WM_KEYDOWN, 0x49, 0},
                      KeyCase{"CtrlI", SDL_SCANCODE_I, KMOD_LCTRL, WM_KEYDOWN, 0x49, 9},
                      KeyCase{"CtrlA", SDL_SCANCODE_A, KMOD_RCTRL, WM_KEYDOWN, 0x41, 1},
                      KeyCase{"CtrlZ", SDL_SCANCODE_Z, KMOD_LCTRL, WM_KEYDOWN, 0x5A, 26},
                      KeyCase{"Digit0", SDL_SCANCODE_0, KMOD_NONE, WM_KEYDOWN, 0x30, 0},
                      KeyCase{"Keypad9", SDL_SCANCODE_KP_9, KMOD_NONE, WM_KEYDOWN, 0x69, 0},
                      KeyCase{"AltX", SDL_SCANCODE_X, KMOD_LALT, WM_SYSKEYDOWN, 0x58, 0}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(EventTranslation, KeyUpAndRepeatCarryWin32KeyData) {
    auto up = translate({keyEvent(SDL_KEYUP, SDL_SCANCODE_A)});
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, WM_KEYUP);
    EXPECT_NE(static_cast<std::uint32_t>(up[0].lParam) & (1u << 31), 0u) << "transition bit";
    auto repeat = translate({keyEvent(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_NONE, 1)});
    EXPECT_NE(static_cast<std::uint32_t>(repeat[0].lParam) & (1u << 30), 0u) << "previous state";
}

TEST(EventTranslation, AltF4AsksToClose) {
    auto out = translate({keyEvent(SDL_KEYDOWN, SDL_SCANCODE_F4, KMOD_LALT)});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].message, WM_SYSKEYDOWN);
    EXPECT_EQ(out[1].message, WM_CLOSE);
}

TEST(EventTranslation, TextInputGivesOneCharPerUtf16Unit) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    // Cyrillic "Жё", a Latin letter and an emoji outside the BMP.
    std::snprintf(e.text.text, sizeof e.text.text, "%s", "\xD0\x96\xD1\x91z\xF0\x9F\x98\x80");
    auto out = translate({e});
    std::vector<WPARAM> chars;
    for (const auto& m : out) {
        EXPECT_EQ(m.message, WM_CHAR);
        chars.push_back(m.wParam);
    }
    EXPECT_EQ(chars, (std::vector<WPARAM>{0x416, 0x451, 'z', 0xD83D, 0xDE00}));
}

TEST(EventTranslation, MalformedUtf8NeverYieldsOutOfRangeUnits) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::snprintf(e.text.text, sizeof e.text.text, "%s", "\xC3\x28\xF0\x9F\xFF\xE2\x82");
    for (const auto& m : translate({e})) EXPECT_LE(m.wParam, 0xFFFFu);
}

TEST(EventTranslation, MouseButtonsCarryHeldFlagsAndSignedCoordinates) {
    SDL_Event down{};
    down.type = SDL_MOUSEBUTTONDOWN;
    down.button.button = SDL_BUTTON_LEFT;
    down.button.clicks = 1;
    down.button.x = -12;
    down.button.y = 640;
    SDL_Event rdown = down;
    rdown.button.button = SDL_BUTTON_RIGHT;
    SDL_Event up = down;
    up.type = SDL_MOUSEBUTTONUP;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -3;
    motion.motion.y = -4;
    auto out = translate({down, rdown, up, motion});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].message, WM_LBUTTONDOWN);
    EXPECT_EQ(out[0].wParam & (MK_LBUTTON | MK_RBUTTON), MK_LBUTTON);
    EXPECT_EQ(out[0].x, -12) << "a pointer over the letterbox keeps its sign";
    EXPECT_EQ(out[0].y, 640);
    EXPECT_EQ(out[1].message, WM_RBUTTONDOWN);
    EXPECT_EQ(out[1].wParam & (MK_LBUTTON | MK_RBUTTON), MK_LBUTTON | MK_RBUTTON);
    EXPECT_EQ(out[2].message, WM_LBUTTONUP);
    EXPECT_EQ(out[2].wParam & (MK_LBUTTON | MK_RBUTTON), MK_RBUTTON) << "released button not held";
    EXPECT_EQ(out[3].message, WM_MOUSEMOVE);
    EXPECT_EQ(out[3].x, -3);
    EXPECT_EQ(out[3].y, -4);
}

TEST(EventTranslation, SecondClickIsADoubleClick) {
    SDL_Event down{};
    down.type = SDL_MOUSEBUTTONDOWN;
    down.button.button = SDL_BUTTON_LEFT;
    down.button.clicks = 2;
    SDL_Event right = down;
    right.button.button = SDL_BUTTON_RIGHT;
    auto out = translate({down, right});
    EXPECT_EQ(out[0].message, WM_LBUTTONDBLCLK);
    EXPECT_EQ(out[1].message, WM_RBUTTONDBLCLK) << "which the window procedure ignores";
}

TEST(EventTranslation, WheelGivesPlusMinus120PerNotchInTheHighWord) {
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    auto out = translate({wheel});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<std::int16_t>(out[0].wParam >> 16), -240);
}

TEST(EventTranslation, WindowEventsAndQuit) {
    auto windowEvent = [](Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        return e;
    };
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    auto out = translate({windowEvent(SDL_WINDOWEVENT_MINIMIZED), windowEvent(SDL_WINDOWEVENT_RESTORED),
                          windowEvent(SDL_WINDOWEVENT_HIDDEN), windowEvent(SDL_WINDOWEVENT_EXPOSED),
                          windowEvent(SDL_WINDOWEVENT_CLOSE), quit});
    std::vector<std::pair<std::uint32_t, WPARAM>> got;
    for (const auto& m : out) got.emplace_back(m.message, m.wParam);
    const std::vector<std::pair<std::uint32_t, WPARAM>> expected = {
        {WM_SIZE, SIZE_MINIMIZED}, {WM_SIZE, SIZE_RESTORED}, {WM_PAINT, 0}, {WM_SHOWWINDOW, 0},
        {WM_PAINT, 0},             {WM_CLOSE, 0},            {WM_CLOSE, 0}};
    EXPECT_EQ(got, expected);
}

TEST(EventTranslation, UnknownEventsAreIgnored) {
    SDL_Event e{};
    e.type = SDL_JOYAXISMOTION;
    SDL_Event weird{};
    weird.type = SDL_LASTEVENT - 1;
    EXPECT_TRUE(translate({e, weird}).empty());
}

TEST(EventTranslation, PostedMessagesCrossThreadsAndKeepTheirArguments) {
    std::string error;
    ASSERT_TRUE(platform::initVideo(error)) << error;
    const std::uint32_t msg = platform::registerMessage(L"WM_IM_TEST");
    EXPECT_EQ(msg, platform::registerMessage(L"WM_IM_TEST"));
    EXPECT_GE(msg, 0xC000u);
    platform::discardMessages();
    std::thread poster([&] { platform::postMessage(msg, 42, -7); });
    poster.join();
    NativeMessage m;
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i) {
        while (!found && platform::peekMessage(m))
            if (m.message == msg) found = true;
        if (!found) platform::waitForMessages(10);
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(m.wParam, 42u);
    EXPECT_EQ(m.lParam, -7);
}

TEST(TextConversion, RoundTripsAndReplacesBrokenInput) {
    const std::wstring text = L"Упражнение \xD83D\xDE00 z";
    EXPECT_EQ(platform::utf8ToWide(platform::toUtf8(text)), text);
    EXPECT_EQ(platform::toUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
}

} // namespace
