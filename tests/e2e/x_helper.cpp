// What the end-to-end tests ask of the X server beyond xdotool's reach.
//   x_helper close WINDOW_ID  asks a window to close the way a window
//                             manager's close button does: a WM_PROTOCOLS
//                             client message carrying WM_DELETE_WINDOW
//   x_helper unfocus          gives the input focus to the root window, so
//                             the window that had it is deactivated
//   x_helper hold             keeps a connection open until stdin closes,
//                             after printing "held": an X server resets
//                             when its last client leaves, and refuses
//                             connections meanwhile
#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    bool unfocus = argc == 2 && std::strcmp(argv[1], "unfocus") == 0;
    bool hold = argc == 2 && std::strcmp(argv[1], "hold") == 0;
    if (!close && !unfocus && !hold) {
        std::fprintf(stderr, "usage: x_helper close WINDOW_ID | unfocus | hold\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_helper: cannot open display\n");
        return 1;
    }
    if (close) {
        Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    } else if (unfocus) {
        XSetInputFocus(display, DefaultRootWindow(display), RevertToPointerRoot, CurrentTime);
    } else {
        std::printf("held\n");
        std::fflush(stdout);
        char byte;
        while (read(0, &byte, 1) > 0) {
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
