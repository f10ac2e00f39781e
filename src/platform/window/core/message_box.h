// Modal message boxes: OK button, single-byte (code page 949) text.
//
// MessageBoxA hands the box to the installed window backend: the SDL backend
// shows a real box, the scripted backend records caption and text. With no
// backend the box is written to stderr as "caption: text", so that nothing
// the user should read is lost.
#pragma once

#include "platform/window/core/win_types.h"

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
