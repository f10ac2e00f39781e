// Win32's types, message ids and key codes, so that the window procedure
// reads as a Win32 one.
#pragma once

#include <cstdint>

// A window of the active window backend; opaque to everything above it.
struct WindowObject;
using HWND = WindowObject*;
// The files of one drop, kept by the window system until DragFinish.
struct DropRecord;
using HDROP = DropRecord*;
using HINSTANCE = void*;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using DWORD = uint32_t;
using BOOL = int32_t;

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;  // wParam SIZE_RESTORED, lParam the client size
constexpr UINT WM_ACTIVATE = 0x0006;
// The picture was lost (uncovered, restored); at most one queued per window.
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_KEYDOWN = 0x0100;  // wParam the virtual key, lParam KeyMessageLParam
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_INITMENU = 0x0116;
// Mouse messages: wParam the MK_* buttons and keys held, lParam the pointer
// in client coordinates (for the wheel too).
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;  // high word of wParam: signed notches * WHEEL_DELTA
// One drop of files onto the window: wParam is the HDROP.
constexpr UINT WM_DROPFILES = 0x0233;

constexpr UINT WA_INACTIVE = 0;
constexpr UINT WA_ACTIVE = 1;
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
constexpr int WHEEL_DELTA = 120;

// Virtual-key codes; letters and digits are their ASCII codes 'A'..'Z', '0'..'9'.
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_CONTROL = 0x11;
constexpr UINT VK_MENU = 0x12;  // Alt
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_F1 = 0x70;  // ..VK_F1 + 11 for F12
constexpr UINT VK_OEM_COMMA = 0xBC;
constexpr UINT VK_OEM_PERIOD = 0xBE;

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr int IDOK = 1;

struct MSG {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

constexpr uint32_t LOWORD(uintptr_t value) { return static_cast<uint32_t>(value & 0xFFFF); }
constexpr uint32_t HIWORD(uintptr_t value) { return static_cast<uint32_t>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(uint32_t low, uint32_t high) {
    return static_cast<LPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

// lParam of WM_KEYDOWN / WM_KEYUP: repeat count 1, bit 30 when the key was
// already down (a repeat, any release), bit 31 for a release; sign-extended.
constexpr LPARAM KeyMessageLParam(bool down, bool repeat) {
    uint32_t bits = 1u | (!down || repeat ? 1u << 30 : 0u) | (down ? 0u : 1u << 31);
    return static_cast<LPARAM>(static_cast<int32_t>(bits));
}
