// SDL events as window messages: the one place where SDL's key codes,
// buttons and window events become Win32's message ids, virtual-key codes
// and packed parameters. Pure functions, so they are tested without a display.
#pragma once

#include <SDL.h>

#include "platform/window/core/win_types.h"

// What the translation needs besides the event, gathered by the backend.
struct SdlEventContext {
    SDL_Keymod modifiers = KMOD_NONE;  // held when the event is handled
    Uint32 mouseButtons = 0;           // SDL_BUTTON_*MASK held before the event
    int clientWidth = 0;               // the window's size, for events that carry none
    int clientHeight = 0;
    bool maximized = false;
    int cursorScreenX = 0;  // the wheel message carries screen coordinates
    int cursorScreenY = 0;
};

struct TranslatedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

constexpr int kMaxMessagesPerEvent = 2;

// The virtual-key code of a key; 0 for keys that have none. Letters and
// digits follow the key's layout meaning (SDL key code), whatever Shift or
// Caps Lock; keypad keys follow Num Lock as Win32's do.
UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers);

// Messages for one event (at most kMaxMessagesPerEvent); returns how many.
// Events that mean nothing to a window procedure give none.
int TranslateSdlEvent(const SDL_Event& event, const SdlEventContext& context,
                      TranslatedMessage out[kMaxMessagesPerEvent]);
