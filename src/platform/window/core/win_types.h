// Win32-shaped types, message ids and key codes of the window layer.
//
// The window layer keeps Win32's numbers so that the window procedure reads
// like the platform it was written for: messages carry WM_* ids, keys arrive
// as virtual-key codes and coordinates come packed in lParam.
#pragma once

#include <cstdint>

// A window of the active window backend; opaque to everything above it.
struct WindowObject;
using HWND = WindowObject*;
using HINSTANCE = void*;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using DWORD = uint32_t;
using BOOL = int32_t;

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_INITMENU = 0x0116;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MOUSEWHEEL = 0x020A;

constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;

constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;

constexpr UINT MB_OK = 0x00000000;
constexpr int IDOK = 1;

struct POINT {
    int32_t x = 0;
    int32_t y = 0;
};

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// Low and high unsigned 16-bit halves of a packed parameter.
constexpr uint32_t LOWORD(uintptr_t value) { return static_cast<uint32_t>(value & 0xFFFF); }
constexpr uint32_t HIWORD(uintptr_t value) { return static_cast<uint32_t>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(uint32_t low, uint32_t high) {
    return static_cast<LPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
