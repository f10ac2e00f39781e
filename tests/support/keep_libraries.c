/* Preloaded into the sanitizer test runs: dlclose keeps every library loaded.
 *
 * The GL driver (and the LLVM it brings) is opened with dlopen and closed when
 * the X display is; LeakSanitizer reports at exit, when the driver's code is
 * gone, so the driver's own allocations show as "<unknown module>" and no
 * suppression can name them. With the libraries kept, their frames keep
 * their names and tests/lsan.supp applies. */
#include <stddef.h>

int dlclose(void* handle) {
    (void)handle;
    return 0;
}
