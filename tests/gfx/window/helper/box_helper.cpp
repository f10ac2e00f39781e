// Shows one message box through the SDL window backend: caption and text are
// the two arguments (code page 949 bytes). Prints "result <n>" when the box
// has been dismissed. Exit code 2 when there is no display.
#include <cstdio>

#include "platform/window/core/message_box.h"
#include "platform/window/sdl/sdl_window_backend.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CAPTION TEXT\n", argv[0]);
        return 1;
    }
    if (!UseSdlWindowBackend()) return 2;
    int result = MessageBoxA(nullptr, argv[2], argv[1], MB_OK);
    std::printf("result %d\n", result);
    return 0;
}
