// What the end-to-end tests ask of the X server beyond xdotool's reach.
//   x_helper close WINDOW_ID  asks a window to close the way a window
//                             manager's close button does: a WM_PROTOCOLS
//                             client message carrying WM_DELETE_WINDOW
//   x_helper unfocus          gives the input focus to the root window, so
//                             the window that had it is deactivated
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    bool unfocus = argc == 2 && std::strcmp(argv[1], "unfocus") == 0;
    if (!close && !unfocus) {
        std::fprintf(stderr, "usage: x_helper close WINDOW_ID | x_helper unfocus\n");
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
    } else {
        XSetInputFocus(display, DefaultRootWindow(display), RevertToPointerRoot, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
