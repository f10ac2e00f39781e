// Start-up, measured from outside: the real program and a trivial SDL2 + GL
// program (trivial_window) are started in turn under the display in DISPLAY,
// each timed from fork to its first top-level window mapped (MapNotify on the
// root window) and to its first frame (the line "gfx: first frame presented"
// that both write to stderr when RR_REPORT_FIRST_PRESENT=1). Then each is
// asked to quit (SIGTERM) and reaped. Pairs alternate which goes first; the
// figures are medians over the pairs, with their ratio.
//
// Usage: startup_bench [PAIRS] [-- PROGRAM ARGS...]   (PAIRS ≥ 7, default 9)
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
    double mapped = -1.0;      // ms from fork; −1 when it never came
    double firstFrame = -1.0;  // ms from fork
};

const char kFirstFrameLine[] = "gfx: first frame presented";

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs argv once; times what the display and the pipe report within 20 s.
Times RunOnce(Display* display, const std::vector<std::string>& argv) {
    while (XPending(display)) {  // events of earlier runs
        XEvent event;
        XNextEvent(display, &event);
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("RR_REPORT_FIRST_PRESENT", "1", 1);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    Times times;
    std::string text;
    bool open = child > 0;
    while (open && (times.mapped < 0 || times.firstFrame < 0) && Since(start) < 20000.0) {
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {pipeFds[0], POLLIN, 0}};
        if (poll(fds, 2, 100) < 0) break;
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && times.mapped < 0) times.mapped = Since(start);
        }
        if (fds[1].revents & (POLLIN | POLLHUP)) {
            char buffer[4096];
            ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
            if (got <= 0) {
                open = false;
            } else {
                text.append(buffer, size_t(got));
                if (times.firstFrame < 0 && text.find(kFirstFrameLine) != std::string::npos)
                    times.firstFrame = Since(start);
            }
        }
    }
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
    }
    close(pipeFds[0]);
    if (times.firstFrame < 0) std::fprintf(stderr, "startup_bench: %s gave no first frame:\n%s\n",
                                           argv[0].c_str(), text.c_str());
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int pairs = 9;
    std::vector<std::string> program = {RR_PROGRAM};
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--") != 0) pairs = std::max(7, std::atoi(argv[i++]));
    if (i < argc && std::strcmp(argv[i], "--") == 0) {
        program.clear();
        for (++i; i < argc; ++i) program.push_back(argv[i]);
    }
    if (program.empty()) program = {RR_PROGRAM};
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_bench: no display (is DISPLAY set?)\n");
        return 1;
    }
    // Top-level windows are the root's children: their mapping is reported here.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const std::vector<std::string> trivial = {RR_TRIVIAL};
    RunOnce(display, program);  // warms the file cache for both
    RunOnce(display, trivial);
    std::vector<double> ourMapped, ourFirst, floorMapped, floorFirst, ratios;
    std::printf("%-5s %-22s %-22s\n", "pair", "program map / frame", "trivial map / frame");
    for (int pair = 0; pair < pairs; ++pair) {
        Times ours, floor;
        if (pair % 2 == 0) {
            ours = RunOnce(display, program);
            floor = RunOnce(display, trivial);
        } else {
            floor = RunOnce(display, trivial);
            ours = RunOnce(display, program);
        }
        std::printf("%-5d %8.1f / %8.1f ms   %8.1f / %8.1f ms\n", pair + 1, ours.mapped,
                    ours.firstFrame, floor.mapped, floor.firstFrame);
        ourMapped.push_back(ours.mapped);
        ourFirst.push_back(ours.firstFrame);
        floorMapped.push_back(floor.mapped);
        floorFirst.push_back(floor.firstFrame);
        if (ours.firstFrame > 0 && floor.firstFrame > 0) ratios.push_back(ours.firstFrame / floor.firstFrame);
    }
    std::printf("medians of %d interleaved pairs:\n", pairs);
    std::printf("  exec -> window mapped: program %.1f ms, trivial %.1f ms\n", Median(ourMapped),
                Median(floorMapped));
    std::printf("  exec -> first frame:   program %.1f ms, trivial %.1f ms, ratio %.2f "
                "(median of the pairs' ratios %.2f)\n",
                Median(ourFirst), Median(floorFirst), Median(ourFirst) / Median(floorFirst),
                Median(ratios));
    XCloseDisplay(display);
    return 0;
}
