#include "platform/window/sdl/sdl_translation.h"

#include "platform/window/core/window_api.h"

// One table row per SDL input the program reads (drops: sdl_drops.h).
namespace {

// Keys with a code of their own; letters, digits and F1-F12 are ranges.
struct KeyRow {
    SDL_Keycode key;
    UINT virtualKey;
};
constexpr KeyRow kKeys[] = {
    {SDLK_ESCAPE, VK_ESCAPE},   {SDLK_SPACE, VK_SPACE},     {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_TAB, VK_TAB},         {SDLK_BACKSPACE, VK_BACK},
    {SDLK_DELETE, VK_DELETE},   {SDLK_HOME, VK_HOME},       {SDLK_END, VK_END},
    {SDLK_LEFT, VK_LEFT},       {SDLK_UP, VK_UP},           {SDLK_RIGHT, VK_RIGHT},
    {SDLK_DOWN, VK_DOWN},       {SDLK_LSHIFT, VK_SHIFT},    {SDLK_RSHIFT, VK_SHIFT},
    {SDLK_LCTRL, VK_CONTROL},   {SDLK_RCTRL, VK_CONTROL},   {SDLK_LALT, VK_MENU},
    {SDLK_RALT, VK_MENU},       {SDLK_COMMA, VK_OEM_COMMA}, {SDLK_PERIOD, VK_OEM_PERIOD},
};

struct ButtonRow {
    Uint8 button;
    UINT down;
    UINT up;
    WPARAM held;  // its MK_* bit
};
constexpr ButtonRow kButtons[] = {
    {SDL_BUTTON_LEFT, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON},
    {SDL_BUTTON_RIGHT, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON},
    {SDL_BUTTON_MIDDLE, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON},
};

// A size report's lParam is the new client size; the others carry none.
struct WindowEventRow {
    Uint8 event;
    UINT message;
    WPARAM wParam;
};
constexpr WindowEventRow kWindowEvents[] = {
    {SDL_WINDOWEVENT_CLOSE, WM_CLOSE, 0},
    {SDL_WINDOWEVENT_FOCUS_GAINED, WM_ACTIVATE, WA_ACTIVE},
    {SDL_WINDOWEVENT_FOCUS_LOST, WM_ACTIVATE, WA_INACTIVE},
    {SDL_WINDOWEVENT_MINIMIZED, WM_ACTIVATE, WA_INACTIVE},
    {SDL_WINDOWEVENT_SIZE_CHANGED, WM_SIZE, SIZE_RESTORED},
    {SDL_WINDOWEVENT_EXPOSED, WM_PAINT, 0},
};

WPARAM MouseKeys(Uint32 buttons, Uint16 modifiers) {
    WPARAM keys = 0;
    for (const ButtonRow& row : kButtons) {
        if (buttons & SDL_BUTTON(row.button)) keys |= row.held;
    }
    if (modifiers & KMOD_SHIFT) keys |= MK_SHIFT;
    if (modifiers & KMOD_CTRL) keys |= MK_CONTROL;
    return keys;
}

// Client coordinates as two 16-bit halves; negative values keep their
// two's-complement low bits, as Win32 packs them.
LPARAM PackPoint(int x, int y) {
    return MAKELPARAM(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
}

bool Set(MSG* out, UINT message, WPARAM wParam, LPARAM lParam) {
    out->message = message;
    out->wParam = wParam;
    out->lParam = lParam;
    return true;
}

bool TranslateButton(const SDL_MouseButtonEvent& button, const SdlEventContext& context, MSG* out) {
    bool down = button.type == SDL_MOUSEBUTTONDOWN;
    for (const ButtonRow& row : kButtons) {
        if (row.button != button.button) continue;
        // wParam tells the buttons held after the event, as Win32's does.
        Uint32 mask = SDL_BUTTON(row.button);
        Uint32 held = down ? (context.mouseButtons | mask) : (context.mouseButtons & ~mask);
        return Set(out, down ? row.down : row.up, MouseKeys(held, context.modifiers),
                   PackPoint(button.x, button.y));
    }
    return false;
}

bool TranslateWheel(const SDL_MouseWheelEvent& wheel, const SdlEventContext& context, MSG* out) {
    if (wheel.y == 0) return false;  // the horizontal wheel
    // Positive: away from the user, as Win32's.
    int notches = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -wheel.y : wheel.y;
    auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * WHEEL_DELTA));
    WPARAM wParam =
        (static_cast<WPARAM>(delta) << 16) | MouseKeys(context.mouseButtons, context.modifiers);
    return Set(out, WM_MOUSEWHEEL, wParam, PackPoint(wheel.mouseX, wheel.mouseY));
}

bool TranslateWindowEvent(const SDL_WindowEvent& window, MSG* out) {
    for (const WindowEventRow& row : kWindowEvents) {
        if (row.event != window.event) continue;
        return Set(out, row.message, row.wParam,
                   row.message == WM_SIZE ? PackPoint(window.data1, window.data2) : 0);
    }
    return false;
}

// The first character of SDL's UTF-8 text as a code point; 0 when the text
// is empty or not UTF-8. Typing gives one character per event; an input
// method that commits several at once gives only its first to the panel.
uint32_t FirstCodePoint(const char* text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char lead = bytes[0];
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0) return 0;
    uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
    for (int i = 1; i < length; ++i) {
        if ((bytes[i] >> 6) != 0x2) return 0;  // also stops at the terminating zero
        point = (point << 6) | (bytes[i] & 0x3Fu);
    }
    return point <= 0x10FFFF ? point : 0;
}

}  // namespace

UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<UINT>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<UINT>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<UINT>(key - SDLK_F1);
    for (const KeyRow& row : kKeys) {
        if (row.key == key) return row.virtualKey;
    }
    // Layouts without Latin letters (or digits) on these keys give key codes
    // of their own script; the key's place then decides, as on a US layout.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + static_cast<UINT>(scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + static_cast<UINT>(scancode - SDL_SCANCODE_1);
    }
    return scancode == SDL_SCANCODE_0 ? '0' : 0;
}

bool TranslateSdlEvent(const SDL_Event& event, const SdlEventContext& context, MSG* out,
                       Uint32* windowId) {
    *out = MSG{};
    *windowId = 0;
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        *windowId = event.key.windowID;
        UINT key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
        bool down = event.type == SDL_KEYDOWN;
        return key != 0 && Set(out, down ? WM_KEYDOWN : WM_KEYUP, key,
                               KeyMessageLParam(down, event.key.repeat != 0));
    }
    case SDL_TEXTINPUT: {
        // WM_CHAR carries the character as a code point (not UTF-16).
        *windowId = event.text.windowID;
        const uint32_t character = FirstCodePoint(event.text.text);
        return character != 0 && Set(out, WM_CHAR, character, 0);
    }
    case SDL_MOUSEMOTION:
        *windowId = event.motion.windowID;
        return Set(out, WM_MOUSEMOVE, MouseKeys(event.motion.state, context.modifiers),
                   PackPoint(event.motion.x, event.motion.y));
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        *windowId = event.button.windowID;
        return TranslateButton(event.button, context, out);
    case SDL_MOUSEWHEEL:
        *windowId = event.wheel.windowID;
        return TranslateWheel(event.wheel, context, out);
    case SDL_WINDOWEVENT:
        *windowId = event.window.windowID;
        return TranslateWindowEvent(event.window, out);
    case SDL_QUIT:
        // The session or a signal asks the program to end: the main window
        // is closed, as its close box would.
        return Set(out, WM_CLOSE, 0, 0);
    default: return false;
    }
}
