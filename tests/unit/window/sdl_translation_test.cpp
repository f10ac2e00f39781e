// SDL events to window messages, without a display: events built by hand.
#include <gtest/gtest.h>

#include <vector>

#include "platform/window/core/virtual_keys.h"
#include "platform/window/core/window_api.h"
#include "platform/window/sdl/sdl_translation.h"

namespace {

std::vector<TranslatedMessage> Translate(const SDL_Event& event, const SdlEventContext& context = {}) {
    TranslatedMessage out[kMaxMessagesPerEvent];
    int count = TranslateSdlEvent(event, context, out);
    return std::vector<TranslatedMessage>(out, out + count);
}

SDL_Event Key(Uint32 type, SDL_Keycode key, SDL_Scancode scancode, Uint16 mod = 0, Uint8 repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.repeat = repeat;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

TEST(VirtualKeyTest, OneCodePerKeyWhateverShiftCapsLockOrLayout) {
    struct Case {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int modifiers;
        UINT expected;
    } cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 0, 0x41},
        {SDLK_w, SDL_SCANCODE_W, KMOD_LSHIFT, 0x57},
        {SDLK_z, SDL_SCANCODE_Z, KMOD_CAPS | KMOD_RSHIFT, 0x5A},
        {0x3148, SDL_SCANCODE_W, 0, 0x57},  // a Hangul layout: the key's place decides
        {SDLK_0, SDL_SCANCODE_0, 0, 0x30},
        {SDLK_1, SDL_SCANCODE_1, KMOD_SHIFT, 0x31},
        {SDLK_9, SDL_SCANCODE_9, 0, 0x39},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM, 0x60},
        {SDLK_KP_1, SDL_SCANCODE_KP_1, KMOD_NUM, 0x61},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM, 0x69},
        {SDLK_KP_8, SDL_SCANCODE_KP_8, 0, VK_UP},  // Num Lock off: the printed navigation key
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0, VK_ESCAPE},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0, VK_SPACE},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0, VK_LEFT},
        {SDLK_F12, SDL_SCANCODE_F12, 0, 0x7B},
        {SDLK_UNKNOWN, SDL_SCANCODE_LANG1, 0, VK_HANGUL},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VirtualKeyFromSdl(c.key, c.scancode, static_cast<Uint16>(c.modifiers)), c.expected)
            << "key " << c.key;
    }
}

TEST(SdlTranslationTest, KeyPressesRepeatsReleasesAndSystemKeys) {
    auto press = Translate(Key(SDL_KEYDOWN, SDLK_w, SDL_SCANCODE_W));
    ASSERT_EQ(press.size(), 1u);
    EXPECT_EQ(press[0].message, WM_KEYDOWN);
    EXPECT_EQ(press[0].wParam, 0x57u);
    EXPECT_EQ(press[0].lParam & (1 << 30), 0);
    // Every auto-repeat is another WM_KEYDOWN, marked as already down.
    auto repeat = Translate(Key(SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, 0, 1));
    EXPECT_EQ(repeat[0].message, WM_KEYDOWN);
    EXPECT_NE(repeat[0].lParam & (1 << 30), 0);
    auto release = Translate(Key(SDL_KEYUP, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
    EXPECT_EQ(release[0].message, WM_KEYUP);
    EXPECT_LT(release[0].lParam, 0);  // bit 31, sign-extended as Win32's
    EXPECT_EQ(Translate(Key(SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT))[0].message,
              WM_SYSKEYDOWN);
    EXPECT_EQ(Translate(Key(SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL))[0].message,
              WM_KEYDOWN);  // AltGr
    EXPECT_TRUE(Translate(Key(SDL_KEYDOWN, SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN)).empty());
}

TEST(SdlTranslationTest, MouseMessagesPackClientCoordinatesAndHeldButtons) {
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -3;  // outside the client area: 16-bit two's complement
    motion.motion.y = 480;
    motion.motion.state = SDL_BUTTON_RMASK;
    auto moved = Translate(motion);
    EXPECT_EQ(moved[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(moved[0].wParam, MK_RBUTTON);
    EXPECT_EQ(moved[0].lParam, MAKELPARAM(0xFFFD, 480));

    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    button.button.x = 10;
    button.button.y = 20;
    SdlEventContext context;
    context.modifiers = KMOD_LCTRL;
    auto down = Translate(button, context);
    EXPECT_EQ(down[0].message, WM_RBUTTONDOWN);
    EXPECT_EQ(down[0].wParam, MK_RBUTTON | MK_CONTROL);
    EXPECT_EQ(down[0].lParam, MAKELPARAM(10, 20));
    button.type = SDL_MOUSEBUTTONUP;
    context = {};
    context.mouseButtons = SDL_BUTTON_RMASK | SDL_BUTTON_LMASK;
    auto up = Translate(button, context);
    EXPECT_EQ(up[0].message, WM_RBUTTONUP);
    EXPECT_EQ(up[0].wParam, MK_LBUTTON);  // the right button is no longer held

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    auto turned = Translate(wheel);
    EXPECT_EQ(turned[0].message, WM_MOUSEWHEEL);
    EXPECT_EQ(static_cast<int16_t>(HIWORD(turned[0].wParam)), 240);
}

TEST(SdlTranslationTest, WindowEventsBecomeCloseActivateAndSize) {
    auto windowEvent = [](Uint8 kind, int data1 = 0, int data2 = 0) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        return event;
    };
    EXPECT_EQ(Translate(windowEvent(SDL_WINDOWEVENT_CLOSE))[0].message, WM_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(Translate(quit)[0].message, WM_CLOSE);
    auto gained = Translate(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    EXPECT_EQ(gained[0].message, WM_ACTIVATE);
    EXPECT_EQ(LOWORD(gained[0].wParam), WA_ACTIVE);
    EXPECT_EQ(LOWORD(Translate(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST))[0].wParam), WA_INACTIVE);
    auto sized = Translate(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1024, 700));
    EXPECT_EQ(sized[0].message, WM_SIZE);
    EXPECT_EQ(sized[0].lParam, MAKELPARAM(1024, 700));
    auto minimised = Translate(windowEvent(SDL_WINDOWEVENT_MINIMIZED));
    ASSERT_EQ(minimised.size(), 2u);
    EXPECT_EQ(minimised[0].wParam, SIZE_MINIMIZED);
    EXPECT_EQ(LOWORD(minimised[1].wParam), WA_INACTIVE);
    EXPECT_TRUE(Translate(windowEvent(SDL_WINDOWEVENT_EXPOSED)).empty());
}

}  // namespace
