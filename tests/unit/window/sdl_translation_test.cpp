// SDL events to window messages, without a display: events are built by hand.
#include <gtest/gtest.h>

#include "platform/window/core/virtual_keys.h"
#include "platform/window/core/window_api.h"
#include "platform/window/sdl/sdl_translation.h"

namespace {

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers = 0,
                   bool repeat = false) {
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = modifiers;
    return event;
}

SDL_Event WindowEvent(Uint8 kind, int data1 = 0, int data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

struct Result {
    int count = 0;
    TranslatedMessage messages[kMaxMessagesPerEvent];
};

Result Translate(const SDL_Event& event, const SdlEventContext& context = {}) {
    Result result;
    result.count = TranslateSdlEvent(event, context, result.messages);
    return result;
}

TEST(VirtualKeyTest, LettersAreUpperCaseWhateverShiftOrCapsLock) {
    for (int modifiers : {0, int{KMOD_LSHIFT}, int{KMOD_CAPS}, KMOD_CAPS | KMOD_RSHIFT}) {
        EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_A, modifiers), 0x41u);
        EXPECT_EQ(VirtualKeyFromSdl(SDLK_w, SDL_SCANCODE_W, modifiers), 0x57u);
        EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z, modifiers), 0x5Au);
    }
    // A layout with its own script on the letter keys: the key's place decides.
    EXPECT_EQ(VirtualKeyFromSdl(0x3148, SDL_SCANCODE_W, 0), 0x57u);
    EXPECT_EQ(VirtualKeyFromSdl(0x3131, SDL_SCANCODE_R, 0), 0x52u);
}

TEST(VirtualKeyTest, MainDigitsAndKeypadDigitsAreDistinct) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0, 0), 0x30u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_1, SDL_SCANCODE_1, 0), 0x31u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_2, SDL_SCANCODE_2, KMOD_SHIFT), 0x32u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_9, SDL_SCANCODE_9, 0), 0x39u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM), VK_NUMPAD0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM), 0x61u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_4, SDL_SCANCODE_KP_4, KMOD_NUM), 0x64u);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), VK_NUMPAD9);
    // Num Lock off: the navigation keys printed on the keypad.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_8, SDL_SCANCODE_KP_8, 0), VK_UP);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_5, SDL_SCANCODE_KP_5, 0), VK_CLEAR);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0, 0), VK_INSERT);
}

TEST(VirtualKeyTest, NamedKeys) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SPACE, SDL_SCANCODE_SPACE, 0), VK_SPACE);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT, 0), VK_LEFT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN, 0), VK_DOWN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0), VK_RETURN);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F1, SDL_SCANCODE_F1, 0), VK_F1);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12, 0), 0x7Bu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0), VK_SHIFT);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_SLASH, SDL_SCANCODE_SLASH, 0), VK_OEM_2);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_LANG1, 0), VK_HANGUL);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0), 0u);
}

TEST(SdlTranslationTest, KeyPressesRepeatsAndReleases) {
    Result press = Translate(KeyEvent(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W));
    ASSERT_EQ(press.count, 1);
    EXPECT_EQ(press.messages[0].message, WM_KEYDOWN);
    EXPECT_EQ(press.messages[0].wParam, 0x57u);
    EXPECT_EQ(press.messages[0].lParam & 0xFFFF, 1);
    EXPECT_EQ(press.messages[0].lParam & (1 << 30), 0);

    // Every auto-repeat is another WM_KEYDOWN, marked as already down.
    Result repeat = Translate(KeyEvent(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0, true));
    ASSERT_EQ(repeat.count, 1);
    EXPECT_EQ(repeat.messages[0].message, WM_KEYDOWN);
    EXPECT_EQ(repeat.messages[0].wParam, WPARAM{VK_SPACE});
    EXPECT_NE(repeat.messages[0].lParam & (1 << 30), 0);

    Result release = Translate(KeyEvent(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
    ASSERT_EQ(release.count, 1);
    EXPECT_EQ(release.messages[0].message, WM_KEYUP);
    EXPECT_EQ(release.messages[0].wParam, WPARAM{VK_ESCAPE});
    EXPECT_LT(release.messages[0].lParam, 0);  // bit 31, sign-extended

    EXPECT_EQ(Translate(KeyEvent(SDL_KEYDOWN, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN)).count, 0);
}

TEST(SdlTranslationTest, AltMakesSystemKeysButAltGrDoesNot) {
    Result altF4 = Translate(KeyEvent(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT));
    ASSERT_EQ(altF4.count, 1);
    EXPECT_EQ(altF4.messages[0].message, WM_SYSKEYDOWN);
    EXPECT_NE(altF4.messages[0].lParam & (1 << 29), 0);
    Result altGr = Translate(KeyEvent(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL));
    EXPECT_EQ(altGr.messages[0].message, WM_KEYDOWN);
    Result f10 = Translate(KeyEvent(SDL_KEYUP, SDLK_F10, SDL_SCANCODE_F10));
    EXPECT_EQ(f10.messages[0].message, WM_SYSKEYUP);
}

TEST(SdlTranslationTest, MouseMessagesPackClientCoordinatesAndButtons) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 640;
    motion.motion.y = 480;
    motion.motion.state = SDL_BUTTON_RMASK;
    Result moved = Translate(motion);
    ASSERT_EQ(moved.count, 1);
    EXPECT_EQ(moved.messages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(moved.messages[0].wParam, MK_RBUTTON);
    EXPECT_EQ(LOWORD(moved.messages[0].lParam), 640u);
    EXPECT_EQ(HIWORD(moved.messages[0].lParam), 480u);

    motion.motion.x = -3;  // outside the client area: 16-bit two's complement
    motion.motion.state = 0;
    moved = Translate(motion);
    EXPECT_EQ(LOWORD(moved.messages[0].lParam), 0xFFFDu);
    EXPECT_EQ(moved.messages[0].wParam, 0u);

    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    button.button.x = 10;
    button.button.y = 20;
    SdlEventContext context;
    context.modifiers = KMOD_LCTRL;
    Result down = Translate(button, context);
    ASSERT_EQ(down.count, 1);
    EXPECT_EQ(down.messages[0].message, WM_RBUTTONDOWN);
    EXPECT_EQ(down.messages[0].wParam, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(down.messages[0].lParam, MAKELPARAM(10, 20));

    button.type = SDL_MOUSEBUTTONUP;
    context.mouseButtons = SDL_BUTTON_RMASK | SDL_BUTTON_LMASK;
    context.modifiers = KMOD_NONE;
    Result up = Translate(button, context);
    EXPECT_EQ(up.messages[0].message, WM_RBUTTONUP);
    EXPECT_EQ(up.messages[0].wParam, MK_LBUTTON);  // the right button is no longer held

    button.button.button = SDL_BUTTON_LEFT;
    EXPECT_EQ(Translate(button).messages[0].message, WM_LBUTTONUP);
    button.button.button = SDL_BUTTON_X1;
    EXPECT_EQ(Translate(button).count, 0);
}

TEST(SdlTranslationTest, WheelNotchesAreMultiplesOfWheelDelta) {
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    SdlEventContext context;
    context.cursorScreenX = 300;
    context.cursorScreenY = 200;
    Result result = Translate(wheel, context);
    ASSERT_EQ(result.count, 1);
    EXPECT_EQ(result.messages[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(result.messages[0].wParam)), -240);
    EXPECT_EQ(result.messages[0].lParam, MAKELPARAM(300, 200));

    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    wheel.wheel.x = 1;
    result = Translate(wheel, context);
    ASSERT_EQ(result.count, 2);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(result.messages[0].wParam)), 240);
    EXPECT_EQ(result.messages[1].message, WM_MOUSEHWHEEL);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(result.messages[1].wParam)), -120);
}

TEST(SdlTranslationTest, WindowEventsBecomeCloseActivateAndSize) {
    Result close = Translate(WindowEvent(SDL_WINDOWEVENT_CLOSE));
    ASSERT_EQ(close.count, 1);
    EXPECT_EQ(close.messages[0].message, WM_CLOSE);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Translate(quit).messages[0].message, WM_CLOSE);

    Result gained = Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_EQ(gained.messages[0].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(gained.messages[0].wParam), WA_ACTIVE);
    Result lost = Translate(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    EXPECT_EQ(lost.messages[0].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(lost.messages[0].wParam), WA_INACTIVE);

    Result sized = Translate(WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 700));
    ASSERT_EQ(sized.count, 1);
    EXPECT_EQ(sized.messages[0].message, WM_SIZE);
    EXPECT_EQ(sized.messages[0].lParam, MAKELPARAM(1024, 700));

    Result minimised = Translate(WindowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(minimised.count, 2);
    EXPECT_EQ(minimised.messages[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(minimised.messages[1].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(minimised.messages[1].wParam), WA_INACTIVE);

    SdlEventContext context;
    context.clientWidth = 800;
    context.clientHeight = 600;
    Result restored = Translate(WindowEvent(SDL_WINDOWEVENT_RESTORED), context);
    EXPECT_EQ(restored.messages[0].lParam, MAKELPARAM(800, 600));

    EXPECT_EQ(Translate(WindowEvent(SDL_WINDOWEVENT_EXPOSED)).count, 0);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    EXPECT_EQ(Translate(text).count, 0);
}

}  // namespace
