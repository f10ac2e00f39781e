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
#include <vector>

// How a box is closed. SDL shows a message box modally, and its loop never
// looks at our event queue: on X11 SDL forks a child process that shows the
// box and waits for it in waitpid (retrying on EINTR); on Wayland it waits
// for a zenity child process. So the watcher ends the box's process: while a
// box is open, every child process of this program is the box's, since the
// program starts no others. SIGKILL, because the forked child inherited our
// handlers, and a forked copy of a multi-threaded process must not run
// anything. The X server removes the window with the child's connection,
// SDL's call returns, and the backend carries on as if OK had been pressed.
//
// The gentler alternative, a WM_DELETE_WINDOW sent to the box's window over
// an X connection of our own, was not taken: nothing tells the box's window
// apart from another program's window captioned "Error", and it would not
// reach a zenity box on Wayland. Should SDL ever show the box in our own
// process (it does when it cannot fork), there is no child to end: the box
// then stays until dismissed, and the quit follows it.

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

std::vector<long> ChildProcesses() {
    std::vector<long> children;
    long self = static_cast<long>(getpid());
    DIR* proc = opendir("/proc");
    if (!proc) return children;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (pid > 0 && end && *end == '\0' && ParentOf(pid) == self) children.push_back(pid);
    }
    closedir(proc);
    return children;
}

// A pidfd holds the process, so its number cannot pass to another process
// between the check of its parent and the signal.
void KillChild(long pid) {
#if defined(SYS_pidfd_open) && defined(SYS_pidfd_send_signal)
    int handle = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (handle >= 0) {
        if (ParentOf(pid) == static_cast<long>(getpid()))
            syscall(SYS_pidfd_send_signal, handle, SIGKILL, nullptr, 0);
        close(handle);
        return;
    }
#endif
    if (ParentOf(pid) == static_cast<long>(getpid())) kill(static_cast<pid_t>(pid), SIGKILL);
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
            for (long child : ChildProcesses()) KillChild(child);
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
