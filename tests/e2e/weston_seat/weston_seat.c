// A Weston module for the tests: an input seat with a pointer and a
// keyboard, on a compositor that makes none (the headless backend; a
// desktop session always has one). Loaded by weston --modules=PATH.
#include <stdlib.h>

#include <libweston/libweston.h>

// libweston-10 exports these but declares them in a header it does not
// install.
void weston_seat_init(struct weston_seat* seat, struct weston_compositor* compositor,
                      const char* name);
void weston_seat_release(struct weston_seat* seat);
int weston_seat_init_pointer(struct weston_seat* seat);
int weston_seat_init_keyboard(struct weston_seat* seat, struct xkb_keymap* keymap);

struct test_seat {
    struct weston_seat seat;
    struct wl_listener compositor_destroyed;
};

static void release_seat(struct wl_listener* listener, void* data) {
    (void)data;
    struct test_seat* test = wl_container_of(listener, test, compositor_destroyed);
    weston_seat_release(&test->seat);
    free(test);
}

WL_EXPORT int wet_module_init(struct weston_compositor* compositor, int* argc, char* argv[]) {
    (void)argc;
    (void)argv;
    struct test_seat* test = calloc(1, sizeof *test);
    if (!test) return -1;
    weston_seat_init(&test->seat, compositor, "default");
    // The seat alone is what clients look for; a device that cannot be
    // made is logged, not fatal (the keyboard needs the XKB data).
    if (weston_seat_init_pointer(&test->seat) < 0) weston_log("weston_seat: no pointer\n");
    if (weston_seat_init_keyboard(&test->seat, NULL) < 0) weston_log("weston_seat: no keyboard\n");
    weston_compositor_add_destroy_listener_once(compositor, &test->compositor_destroyed,
                                                release_seat);
    return 0;
}
