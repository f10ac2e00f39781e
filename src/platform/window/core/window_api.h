// The window-system operations the program calls, with Win32's names,
// arguments and meanings, over the installed window backend.
//
// Not emulated, as the program never uses them: system keys (Alt
// combinations come as WM_KEYDOWN), keypad keys, the horizontal wheel, show
// modes but hide and show, class atoms, menus, extended styles, window
// positions, frame insets (a native window's size is its client size),
// cursors, brushes, message filters, a message's time and cursor position.
#pragma once

#include "platform/window/core/win_types.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using HICON = void*;
using HCURSOR = void*;
using HBRUSH = void*;
using HMENU = void*;
using HGDIOBJ = void*;
using LONG = int32_t;

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct WNDCLASSA {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
};

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;

constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;  // the user may resize the window
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;  // every command but SW_HIDE shows and activates
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

constexpr int WHITE_BRUSH = 0;
// Resource ids passed where Win32 takes a name (MAKEINTRESOURCE).
constexpr uintptr_t IDC_ARROW = 32512;
constexpr uintptr_t IDI_APPLICATION_ICON = 101;

// 0 for a class name taken (names ignore case) or missing.
BOOL RegisterClassA(const WNDCLASSA* windowClass);
// A hidden window of that class whose client area is width x height
// (CW_USEDEFAULT: 640 x 480); WM_CREATE is sent before it returns, and -1
// from it destroys the window again. Null when no window could be made.
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
// Sends WM_DESTROY, drops the native window and the window's queued
// messages; 0 for a window that is not there.
BOOL DestroyWindow(HWND window);
// GWL_STYLE: the style given, with WS_VISIBLE while shown; 0 for anything else.
LONG GetWindowLongA(HWND window, int index);
// GWL_STYLE: a new style (WS_VISIBLE in it is ignored: ShowWindow shows),
// given to the native window at once (WS_THICKFRAME makes it resizable);
// returns the style before, 0 for another index.
LONG SetWindowLongA(HWND window, int index, LONG value);
// Not Win32: the window covers the whole display without a frame, or returns
// to its place and size; the new size comes as WM_SIZE. False for no window.
BOOL SetWindowFullscreen(HWND window, BOOL fullscreen);
// The dots per inch of the window's display; 96 (a scale of 1) when unknown.
UINT GetDpiForWindow(HWND window);
HMENU GetMenu(HWND window);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL hasMenu, DWORD exStyle);
// Gives the window a new client size (unless SWP_NOSIZE); a changed size is
// reported with WM_SIZE before it returns.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// SW_HIDE hides, any other command shows; the window is activated
// (WM_ACTIVATE) when it becomes visible, and its first show reports its
// size (WM_SIZE). Returns whether it was visible before.
BOOL ShowWindow(HWND window, int showCommand);
// The program's icon (IDI_APPLICATION_ICON) is drawn by the backend; all
// other resources are null.
HICON LoadIconA(HINSTANCE instance, uintptr_t resource);
HCURSOR LoadCursorA(HINSTANCE instance, uintptr_t resource);
HGDIOBJ GetStockObject(int object);

// Whether a message is waiting (PM_NOREMOVE leaves it queued). WM_QUIT from
// PostQuitMessage comes once the queue holds nothing else.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// The next message, waiting for one; 0 when it is WM_QUIT, -1 with no backend.
BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax);
// Nothing to do: the backend sends WM_CHAR itself.
BOOL TranslateMessage(const MSG* message);
// Calls the procedure of the message's window; 0 for a window that is gone.
LRESULT DispatchMessageA(const MSG* message);
BOOL WaitMessage();
void PostQuitMessage(int exitCode);
// WM_CLOSE destroys the window (which sends WM_DESTROY).
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Milliseconds since some start; wraps at 2^32.
DWORD timeGetTime();

// The files of a WM_DROPFILES message. index 0xFFFFFFFF: how many; file
// null: the length of path index; else at most size - 1 bytes and a zero are
// copied and the bytes copied returned. 0 for no drop or no such index.
UINT DragQueryFileA(HDROP drop, UINT index, char* file, UINT size);
// Frees the drop. A drop never finished stays until the backend is replaced.
void DragFinish(HDROP drop);
