// SDL events as window messages: the one place where SDL's key codes,
// buttons and window events become Win32's message ids, virtual-key codes
// and packed parameters. Pure functions, so they are tested without a display.
#pragma once

#include <SDL.h>

#include "platform/window/core/win_types.h"

// What the translation needs besides the event, gathered by the backend.
struct SdlEventContext {
    Uint16 modifiers = KMOD_NONE;  // held when the event is handled
    Uint32 mouseButtons = 0;       // SDL_BUTTON_*MASK held before the event
};

// The virtual-key code of a key; 0 for keys that have none. Letters and
// digits follow the key's layout meaning (SDL key code) whatever Shift or
// Caps Lock; on layouts without Latin letters the key's place decides.
UINT VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// The message of one event, hwnd left null, and the SDL id of the window
// the event names (0 for none); false for events that mean nothing to a
// window procedure.
bool TranslateSdlEvent(const SDL_Event& event, const SdlEventContext& context, MSG* out,
                       Uint32* windowId);
