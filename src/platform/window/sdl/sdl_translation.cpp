#include "platform/window/sdl/sdl_translation.h"

#include "platform/window/core/virtual_keys.h"
#include "platform/window/core/window_api.h"
#include "platform/window/core/window_backend.h"

namespace {

// Keypad keys with Num Lock off act as the navigation keys printed on them.
UINT KeypadNavigationKey(SDL_Keycode key) {
    switch (key) {
    case SDLK_KP_0: return VK_INSERT;
    case SDLK_KP_1: return VK_END;
    case SDLK_KP_2: return VK_DOWN;
    case SDLK_KP_3: return VK_NEXT;
    case SDLK_KP_4: return VK_LEFT;
    case SDLK_KP_5: return VK_CLEAR;
    case SDLK_KP_6: return VK_RIGHT;
    case SDLK_KP_7: return VK_HOME;
    case SDLK_KP_8: return VK_UP;
    case SDLK_KP_9: return VK_PRIOR;
    case SDLK_KP_PERIOD: return VK_DELETE;
    default: return 0;
    }
}

WPARAM MouseKeys(Uint32 buttons, Uint16 modifiers) {
    WPARAM keys = 0;
    if (buttons & SDL_BUTTON_LMASK) keys |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) keys |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) keys |= MK_MBUTTON;
    if (modifiers & KMOD_SHIFT) keys |= MK_SHIFT;
    if (modifiers & KMOD_CTRL) keys |= MK_CONTROL;
    return keys;
}

// Client coordinates as two 16-bit halves; negative values keep their
// two's-complement low bits, as Win32 packs them.
LPARAM PackPoint(int x, int y) {
    return MAKELPARAM(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
}

WPARAM PackWheel(int notches, WPARAM keys) {
    auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * WHEEL_DELTA));
    return (static_cast<WPARAM>(delta) << 16) | (keys & 0xFFFF);
}

int TranslateKey(const SDL_KeyboardEvent& key, TranslatedMessage* out) {
    UINT virtualKey = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode, key.keysym.mod);
    if (virtualKey == 0) return 0;
    bool down = key.type == SDL_KEYDOWN;
    // Alt without Ctrl (Ctrl+Alt is AltGr) and F10 make system keys.
    bool alt = (key.keysym.mod & KMOD_ALT) || virtualKey == VK_MENU;
    bool system = (alt && !(key.keysym.mod & KMOD_CTRL)) || virtualKey == VK_F1 + 9;
    out->message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    out->wParam = virtualKey;
    LPARAM lParam = KeyMessageLParam(down, key.repeat != 0);
    if (alt) lParam |= LPARAM{1} << 29;  // context code: Alt held
    out->lParam = lParam;
    return 1;
}

int TranslateButton(const SDL_MouseButtonEvent& button, const SdlEventContext& context,
                    TranslatedMessage* out) {
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    UINT message;
    switch (button.button) {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return 0;
    }
    // wParam tells the buttons held after the event, as Win32's does.
    Uint32 mask = SDL_BUTTON(button.button);
    Uint32 held = down ? (context.mouseButtons | mask) : (context.mouseButtons & ~mask);
    out->message = message;
    out->wParam = MouseKeys(held, context.modifiers);
    out->lParam = PackPoint(button.x, button.y);
    return 1;
}

int TranslateWheel(const SDL_MouseWheelEvent& wheel, const SdlEventContext& context,
                   TranslatedMessage* out) {
    int sign = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
    WPARAM keys = MouseKeys(context.mouseButtons, context.modifiers);
    LPARAM where = PackPoint(context.cursorScreenX, context.cursorScreenY);
    int count = 0;
    if (wheel.y != 0) {  // positive: away from the user, as Win32's
        out[count++] = {WM_MOUSEWHEEL, PackWheel(sign * wheel.y, keys), where};
    }
    if (wheel.x != 0) {  // positive: to the right, as Win32's
        out[count++] = {WM_MOUSEHWHEEL, PackWheel(sign * wheel.x, keys), where};
    }
    return count;
}

int TranslateWindowEvent(const SDL_WindowEvent& window, const SdlEventContext& context,
                         TranslatedMessage* out) {
    switch (window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        out[0] = {WM_CLOSE, 0, 0};
        return 1;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out[0] = {WM_ACTIVATE, WA_ACTIVE, 0};
        return 1;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out[0] = {WM_ACTIVATE, WA_INACTIVE, 0};
        return 1;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        out[0] = {WM_SIZE, context.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                  PackPoint(window.data1, window.data2)};
        return 1;
    case SDL_WINDOWEVENT_MINIMIZED:
        // A minimised window has an empty client area and is inactive
        // (the high word of WM_ACTIVATE's wParam says minimised).
        out[0] = {WM_SIZE, SIZE_MINIMIZED, 0};
        out[1] = {WM_ACTIVATE, WA_INACTIVE | (WPARAM{1} << 16), 0};
        return 2;
    case SDL_WINDOWEVENT_RESTORED:
        out[0] = {WM_SIZE, SIZE_RESTORED, PackPoint(context.clientWidth, context.clientHeight)};
        return 1;
    default:
        return 0;
    }
}

}  // namespace

UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<UINT>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<UINT>(key - SDLK_0);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        if (!(modifiers & KMOD_NUM)) return KeypadNavigationKey(key);
        return VK_NUMPAD0 + 1 + static_cast<UINT>(key - SDLK_KP_1);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<UINT>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return VK_F1 + 12 + static_cast<UINT>(key - SDLK_F13);
    switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_KP_0: return (modifiers & KMOD_NUM) ? VK_NUMPAD0 : VK_INSERT;
    case SDLK_KP_PERIOD: return (modifiers & KMOD_NUM) ? VK_DECIMAL : VK_DELETE;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: break;
    }
    // Layouts without Latin letters (or digits) on these keys give key codes
    // of their own script; the key's place then decides, as on a US layout.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + static_cast<UINT>(scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + static_cast<UINT>(scancode - SDL_SCANCODE_1);
    }
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    case SDL_SCANCODE_LANG1: return VK_HANGUL;
    case SDL_SCANCODE_LANG2: return VK_HANJA;
    default: return 0;
    }
}

int TranslateSdlEvent(const SDL_Event& event, const SdlEventContext& context,
                      TranslatedMessage out[kMaxMessagesPerEvent]) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return TranslateKey(event.key, out);
    case SDL_MOUSEMOTION:
        out[0] = {WM_MOUSEMOVE, MouseKeys(event.motion.state, context.modifiers),
                  PackPoint(event.motion.x, event.motion.y)};
        return 1;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return TranslateButton(event.button, context, out);
    case SDL_MOUSEWHEEL:
        return TranslateWheel(event.wheel, context, out);
    case SDL_WINDOWEVENT:
        return TranslateWindowEvent(event.window, context, out);
    case SDL_QUIT:
        // The session or a signal asks the program to end: the main window
        // is closed, as the close box would.
        out[0] = {WM_CLOSE, 0, 0};
        return 1;
    default:
        return 0;
    }
}
