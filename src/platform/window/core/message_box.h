// Modal message boxes with an OK button; text in code page 949. The
// installed backend shows them; with none, "caption: text" goes to stderr.
#pragma once

#include "platform/window/core/win_types.h"

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
