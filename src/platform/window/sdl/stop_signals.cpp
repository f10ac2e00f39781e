#include "platform/window/sdl/stop_signals.h"

#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

// How a box is closed: SDL shows it modally and never reads our queue (on
// X11 from a forked child it waits for, on Wayland from a zenity child). So
// the watcher ends the box's process with SIGKILL: while a box is open every
// child of this program is the box's, as it starts no others, and a forked
// copy of a threaded process must run nothing (it inherited our handlers).
// SDL's call then returns as if OK had been pressed. A box that SDL shows in
// our own process (when it cannot fork) stays until dismissed.

namespace {

int wakePipe[2] = {-1, -1};
std::atomic<bool> requested{false};    // a signal has come
std::atomic<bool> undelivered{false};  // not yet taken by the backend
std::atomic<int> openBoxes{0};

constexpr int kBoxRetryMicroseconds = 20000;

extern "C" void OnStopSignal(int) {
    // Only what a signal handler may do: one write; errno as it was.
    int saved = errno;
    char byte = 1;
    ssize_t ignored = write(wakePipe[1], &byte, 1);
    (void)ignored;
    errno = saved;
}

// The parent's pid in /proc/PID/stat ("PID (COMMAND) STATE PPID ..."; the
// command may hold spaces and parentheses, so the last ')' ends it). -1 when
// the process is gone.
long ParentOf(long pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", pid);
    FILE* file = std::fopen(path, "re");
    if (!file) return -1;
    char text[512];
    size_t length = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[length] = '\0';
    const char* end = nullptr;
    for (const char* p = text; *p; ++p)
        if (*p == ')') end = p;
    char state = 0;
    long parent = -1;
    if (!end || std::sscanf(end + 1, " %c %ld", &state, &parent) != 2) return -1;
    return parent;
}

// Ends every child process of ours. A pidfd holds the process, so its
// number cannot pass to another process between the parent check and the kill.
void KillChildren() {
    const long self = static_cast<long>(getpid());
    DIR* proc = opendir("/proc");
    if (!proc) return;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || ParentOf(pid) != self) continue;
#if defined(SYS_pidfd_open) && defined(SYS_pidfd_send_signal)
        int handle = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (handle >= 0) {
            if (ParentOf(pid) == self) syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0);
            close(handle);
            continue;
        }
#endif
        kill(static_cast<pid_t>(pid), SIGKILL);
    }
    closedir(proc);
}

void Watch() {
    for (;;) {
        char byte;
        ssize_t n = read(wakePipe[0], &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        requested.store(true);
        undelivered.store(true);
        // Wakes a backend blocked in SDL_WaitEvent; the event itself means
        // nothing to a window. Fails harmlessly before SDL is initialised:
        // the request waits in undelivered for the first poll.
        SDL_Event wake{};
        wake.type = SDL_USEREVENT;
        SDL_PushEvent(&wake);
        // A box may be just opening: keep ending box processes until none is open.
        while (openBoxes.load() > 0) {
            KillChildren();
            usleep(kBoxRetryMicroseconds);
        }
    }
}

}  // namespace

bool InstallStopSignals() {
    static bool installed = false;
    if (installed) return true;
    if (pipe2(wakePipe, O_CLOEXEC) != 0) return false;
    std::thread(Watch).detach();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted calls resume; a second signal finds the default action.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    installed = true;
    return true;
}

bool StopRequested() { return requested.load(); }

bool TakeStopRequest() { return undelivered.exchange(false); }

bool BeginMessageBox() {
    // Marked open before the request is read, and the watcher sets the
    // request before it reads the mark: either no box is shown, or the
    // watcher sees it open and ends it.
    openBoxes.fetch_add(1);
    if (requested.load()) {
        openBoxes.fetch_sub(1);
        return false;
    }
    return true;
}

bool EndMessageBox() {
    openBoxes.fetch_sub(1);
    return requested.load();
}
