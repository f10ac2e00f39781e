// SDL events to window messages, without a display: events built by hand.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/window/core/window_api.h"
#include "platform/window/sdl/sdl_translation.h"

namespace {

struct Translated {
    bool made;
    MSG message;
    Uint32 windowId;
};

Translated Translate(const SDL_Event& event, const SdlEventContext& context = {}) {
    Translated out{};
    out.made = TranslateSdlEvent(event, context, &out.message, &out.windowId);
    return out;
}

SDL_Event Key(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod = 0,
              Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    event.key.windowID = 2;
    return event;
}

TEST(VirtualKeyTest, OneCodePerKeyWhateverShiftCapsLockOrLayout) {
    struct Case {
        SDL_Keycode key;
        SDL_Scancode scancode;
        UINT expected;
    } cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 0x41},
        {SDLK_z, SDL_SCANCODE_Z, 0x5A},
        {0x3148, SDL_SCANCODE_W, 0x57},  // a Hangul layout: the key's place decides
        {0x3131, SDL_SCANCODE_0, 0x30},
        {0x3132, SDL_SCANCODE_9, 0x39},
        {SDLK_q, SDL_SCANCODE_A, 0x51},  // AZERTY: the layout's letter, not the place
        {SDLK_0, SDL_SCANCODE_0, 0x30},
        {SDLK_9, SDL_SCANCODE_9, 0x39},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
        {SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, VK_DELETE},
        {SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME},
        {SDLK_END, SDL_SCANCODE_END, VK_END},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
        {SDLK_F1, SDL_SCANCODE_F1, VK_F1},
        {SDLK_F11, SDL_SCANCODE_F11, 0x7A},
        {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, VK_OEM_COMMA},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, VK_OEM_PERIOD},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL},
        {SDLK_RALT, SDL_SCANCODE_RALT, VK_MENU},
        {SDLK_KP_8, SDL_SCANCODE_KP_8, 0},  // keypad keys are not read
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scancode), c.expected) << "key " << c.key;
    }
}

TEST(SdlTranslationTest, KeyPressesRepeatsAndReleasesWhateverTheModifiers) {
    struct Case {
        SDL_Event event;
        UINT message;
        WPARAM key;
        bool wasDown;  // lParam bit 30
        bool release;  // lParam bit 31, sign-extended
    } cases[] = {
        {Key(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W), WM_KEYDOWN, 'W', false, false},
        // Every auto-repeat is another WM_KEYDOWN, marked as already down.
        {Key(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0, 1), WM_KEYDOWN, VK_SPACE, true, false},
        {Key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), WM_KEYUP, VK_ESCAPE, true, true},
        {Key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT), WM_KEYDOWN, VK_F1 + 3, false,
         false},
        {Key(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL), WM_KEYDOWN, 'Q', false,
         false},
    };
    for (const Case& c : cases) {
        Translated out = Translate(c.event);
        ASSERT_TRUE(out.made) << c.key;
        EXPECT_EQ(out.message.message, c.message) << c.key;
        EXPECT_EQ(out.message.wParam, c.key);
        EXPECT_EQ((out.message.lParam & (1 << 30)) != 0, c.wasDown) << c.key;
        EXPECT_EQ(out.message.lParam < 0, c.release) << c.key;
        EXPECT_EQ(out.message.lParam & 0xFFFF, 1) << c.key;  // repeat count
        EXPECT_EQ(out.windowId, 2u);
    }
    EXPECT_FALSE(Translate(Key(SDL_KEYDOWN, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN)).made);
}

// Typed text is WM_CHAR with the first character's code point; text that
// is not UTF-8 (a stray continuation byte, a cut sequence) is nothing.
TEST(SdlTranslationTest, TextInputIsOneCharacterAsACodePoint) {
    struct Case {
        const char* text;
        WPARAM character;  // 0: no message
    } cases[] = {
        {"a", 'a'},
        {"\xC3\xA9", 0xE9},
        {"\xED\x95\x9C", 0xD55C},
        {"\xF0\x9F\x99\x82", 0x1F642},
        {"xy", 'x'},
        {"", 0},
        {"\x80", 0},
        {"\xED\x95", 0},
    };
    for (const Case& c : cases) {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = 3;
        std::snprintf(event.text.text, sizeof event.text.text, "%s", c.text);
        Translated out = Translate(event);
        ASSERT_EQ(out.made, c.character != 0) << c.text;
        if (!out.made) continue;
        EXPECT_EQ(out.message.message, WM_CHAR);
        EXPECT_EQ(out.message.wParam, c.character);
        EXPECT_EQ(out.windowId, 3u);
    }
}

TEST(SdlTranslationTest, MouseMessagesPackClientCoordinatesAndHeldButtons) {
    auto button = [](Uint32 type, Uint8 which, int x, int y) {
        SDL_Event event{};
        event.type = type;
        event.button.button = which;
        event.button.x = x;
        event.button.y = y;
        event.button.windowID = 5;
        return event;
    };
    auto wheel = [](int y, bool flipped, int x = 0) {
        SDL_Event event{};
        event.type = SDL_MOUSEWHEEL;
        event.wheel.x = x;
        event.wheel.y = y;
        event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        event.wheel.mouseX = 40;
        event.wheel.mouseY = 30;
        event.wheel.windowID = 5;
        return event;
    };
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -3;  // outside the client area: 16-bit two's complement
    motion.motion.y = 480;
    motion.motion.state = SDL_BUTTON_RMASK;
    motion.motion.windowID = 5;
    constexpr Uint32 kLeftRight = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    struct Case {
        const char* what;
        SDL_Event event;
        Uint16 modifiers;
        Uint32 heldBefore;
        UINT message;
        WPARAM wParam;  // buttons and keys held after the event; the wheel's delta above them
        LPARAM lParam;
    } cases[] = {
        {"move", motion, 0, 0, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(0xFFFD, 480)},
        {"right down", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 10, 20), KMOD_LCTRL, 0,
         WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(10, 20)},
        {"right up", button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 10, 20), 0, kLeftRight,
         WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(10, 20)},
        {"left down", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 2), KMOD_RSHIFT, 0,
         WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(1, 2)},
        {"middle down", button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 6), 0, SDL_BUTTON_LMASK,
         WM_MBUTTONDOWN, MK_MBUTTON | MK_LBUTTON, MAKELPARAM(5, 6)},
        {"middle up", button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 5, 6), 0, SDL_BUTTON_MMASK,
         WM_MBUTTONUP, 0, MAKELPARAM(5, 6)},
        {"wheel away", wheel(1, false), 0, SDL_BUTTON_MMASK, WM_MOUSEWHEEL,
         (WPARAM{120} << 16) | MK_MBUTTON, MAKELPARAM(40, 30)},
        {"wheel flipped", wheel(-2, true), 0, 0, WM_MOUSEWHEEL, WPARAM{240} << 16,
         MAKELPARAM(40, 30)},
        {"wheel towards", wheel(-1, false), 0, 0, WM_MOUSEWHEEL, WPARAM{0xFF88} << 16,
         MAKELPARAM(40, 30)},
    };
    for (const Case& c : cases) {
        SdlEventContext context;
        context.modifiers = c.modifiers;
        context.mouseButtons = c.heldBefore;
        Translated out = Translate(c.event, context);
        ASSERT_TRUE(out.made) << c.what;
        EXPECT_EQ(out.message.message, c.message) << c.what;
        EXPECT_EQ(out.message.wParam, c.wParam) << c.what;
        EXPECT_EQ(out.message.lParam, c.lParam) << c.what;
        EXPECT_EQ(out.windowId, 5u) << c.what;
    }
    EXPECT_FALSE(Translate(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 0, 0)).made);
    EXPECT_FALSE(Translate(wheel(0, false, 3)).made);  // the horizontal wheel
}

TEST(SdlTranslationTest, WindowEventsBecomeCloseActivateSizeAndPaint) {
    auto windowEvent = [](Uint8 kind, int data1 = 0, int data2 = 0) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        event.window.windowID = 3;
        return event;
    };
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    struct Case {
        SDL_Event event;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {windowEvent(SDL_WINDOWEVENT_CLOSE), WM_CLOSE, 0, 0},
        {quit, WM_CLOSE, 0, 0},  // the session ends: the main window is closed
        {windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), WM_ACTIVATE, WA_ACTIVE, 0},
        {windowEvent(SDL_WINDOWEVENT_FOCUS_LOST), WM_ACTIVATE, WA_INACTIVE, 0},
        {windowEvent(SDL_WINDOWEVENT_MINIMIZED), WM_ACTIVATE, WA_INACTIVE, 0},
        {windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 700), WM_SIZE, SIZE_RESTORED,
         MAKELPARAM(1024, 700)},
        {windowEvent(SDL_WINDOWEVENT_EXPOSED), WM_PAINT, 0, 0},  // the picture needs showing again
    };
    for (const Case& c : cases) {
        Translated out = Translate(c.event);
        ASSERT_TRUE(out.made) << c.message;
        EXPECT_EQ(out.message.message, c.message);
        EXPECT_EQ(out.message.wParam, c.wParam) << c.message;
        EXPECT_EQ(out.message.lParam, c.lParam) << c.message;
        EXPECT_EQ(out.message.hwnd, nullptr);  // the backend knows the window
        EXPECT_EQ(out.windowId, c.message == WM_CLOSE && c.event.type == SDL_QUIT ? 0u : 3u);
    }
    EXPECT_FALSE(Translate(windowEvent(SDL_WINDOWEVENT_MOVED)).made);
}

}  // namespace
