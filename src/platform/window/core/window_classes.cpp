// The class registry and the resources a class names.
#include <strings.h>

#include "platform/window/core/window_system.h"

namespace window_system {

const RegisteredClass* FindClass(const char* name) {
    if (!name) return nullptr;
    for (const RegisteredClass& entry : System().classes) {
        // Class names are case-insensitive, as in Win32.
        if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
    }
    return nullptr;
}

}  // namespace window_system

using window_system::FindClass;
using window_system::System;

namespace {

// Stable addresses that stand for the handles of resources we do not load.
char applicationIconTag;
char arrowCursorTag;
char whiteBrushTag;

}  // namespace

bool IsApplicationIcon(HICON icon) { return icon == &applicationIconTag; }

BOOL RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpszClassName[0] ||
        !windowClass->lpfnWndProc) {
        return 0;
    }
    if (FindClass(windowClass->lpszClassName)) return 0;  // already registered
    auto& system = System();
    system.classes.push_back({windowClass->lpszClassName, windowClass->lpfnWndProc, windowClass->hIcon});
    // Win32 answers with the class atom; string atoms start at 0xC000.
    return static_cast<BOOL>(0xC000 + system.classes.size() - 1);
}

// There are no resources to load: the program's icon (resource 101) is
// drawn by the backend, the cursor is the system arrow, the background is
// never painted (OpenGL covers the client area). The handles only have to be
// distinct and non-null.
HICON LoadIconA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDI_APPLICATION_ICON ? &applicationIconTag : nullptr;
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, uintptr_t resource) {
    return resource == IDC_ARROW ? &arrowCursorTag : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    return object == WHITE_BRUSH ? &whiteBrushTag : nullptr;
}
