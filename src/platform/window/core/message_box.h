// Modal message boxes: OK button, single-byte (code page 949) text.
//
// MessageBoxA hands the box to the installed handler: the window backend
// installs one that shows a real box; tests install one that records the
// caption and text. With no handler the box is written to stderr as
// "caption: text" so that nothing the user should read is lost.
#pragma once

#include "platform/window/core/win_types.h"

using MessageBoxHandler = int (*)(HWND owner, const char* text, const char* caption, UINT type);

// Installs handler (null restores the stderr fallback); returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);
