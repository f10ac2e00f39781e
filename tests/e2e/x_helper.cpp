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
//   x_helper cover WINDOW_ID  maps a black window over that window for half a
//                             second and unmaps it: the window's picture is
//                             lost (exposed) and must be shown again
#include <X11/Xlib.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
    bool unfocus = argc == 2 && std::strcmp(argv[1], "unfocus") == 0;
    bool hold = argc == 2 && std::strcmp(argv[1], "hold") == 0;
    bool cover = argc == 3 && std::strcmp(argv[1], "cover") == 0;
    if (!close && !unfocus && !hold && !cover) {
        std::fprintf(stderr,
                     "usage: x_helper close WINDOW_ID | unfocus | hold | cover WINDOW_ID\n");
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
        event.xclient.data.l[0] =
            static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
    } else if (cover) {
        Window window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
        XWindowAttributes where;
        Window child;
        int x = 0, y = 0;
        if (!XGetWindowAttributes(display, window, &where) ||
            !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y,
                                   &child)) {
            std::fprintf(stderr, "x_helper: no window %s\n", argv[2]);
            return 1;
        }
        XSetWindowAttributes attributes = {};
        attributes.override_redirect = True;  // placed as asked, whatever manages windows
        attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
        Window lid = XCreateWindow(
            display, DefaultRootWindow(display), x, y, static_cast<unsigned>(where.width),
            static_cast<unsigned>(where.height), 0, CopyFromParent, InputOutput, CopyFromParent,
            CWOverrideRedirect | CWBackPixel, &attributes);
        XMapRaised(display, lid);
        XSync(display, False);
        usleep(500000);
        XDestroyWindow(display, lid);
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
