// Start-up, measured from outside: the real program and a trivial SDL2 + GL
// program (trivial_window) are started in turn under the display in DISPLAY,
// each timed from fork to its first top-level window mapped (MapNotify on the
// root window) and to its first frame (the line "gfx: first frame presented"
// that both write to stderr when RR_REPORT_FIRST_PRESENT=1). Then each is
// asked to quit (SIGTERM) and reaped. Rounds rotate which goes first; the
// figures are medians over the rounds, with each program's ratio to the
// trivial one.
//
// The programs keep their start-up caches (compiled effects, GL program
// binaries, Mesa's shaders) under XDG_CACHE_HOME, which the benchmark sets:
// by default one folder for the whole run, filled by the warm-up runs (a
// second start); with --cold an empty folder for every run (a first start).
// --before PROGRAM adds another build of the program (e.g. one without the
// cache) to each round, with the same arguments.
//
// Usage: startup_bench [ROUNDS] [--cold] [--before PROGRAM] [-- PROGRAM ARGS...]
//        (ROUNDS ≥ 7, default 9)
#include <X11/Xlib.h>
#include <ftw.h>
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

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) { return remove(path); }

// An empty cache folder for --cold runs, or the run's one folder.
struct CacheHome {
    bool cold = false;
    std::string path;

    void Make() {
        char name[] = "/tmp/startup_bench_cache_XXXXXX";
        path = mkdtemp(name) ? name : "";
    }
    void Remove() {
        if (!path.empty()) nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
    }
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs argv once; times what the display and the pipe report within 20 s.
Times RunOnce(Display* display, const std::vector<std::string>& argv, CacheHome& cache) {
    if (cache.cold) {
        cache.Remove();
        cache.Make();
    }
    while (XPending(display)) {  // events of earlier runs
        XEvent event;
        XNextEvent(display, &event);
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    Clock::time_point start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("RR_REPORT_FIRST_PRESENT", "1", 1);
        setenv("XDG_CACHE_HOME", cache.path.c_str(), 1);
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
    if (times.firstFrame < 0)
        std::fprintf(stderr, "startup_bench: %s gave no first frame:\n%s\n", argv[0].c_str(),
                     text.c_str());
    return times;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 9;
    CacheHome cache;
    std::string before;
    std::vector<std::string> program = {RR_PROGRAM};
    int i = 1;
    if (i < argc && argv[i][0] != '-') rounds = std::max(7, std::atoi(argv[i++]));
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--cold") == 0) {
            cache.cold = true;
        } else if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc) {
            before = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: startup_bench [ROUNDS] [--cold] [--before PROGRAM] "
                         "[-- PROGRAM ARGS...]\n");
            return 2;
        }
    }
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
    cache.Make();

    struct Contender {
        std::string name;
        std::vector<std::string> argv;
        std::vector<double> mapped, firstFrame, ratios;
    };
    std::vector<Contender> contenders = {{"trivial", {RR_TRIVIAL}, {}, {}, {}},
                                         {"program", program, {}, {}, {}}};
    if (!before.empty()) {
        std::vector<std::string> argvBefore = program;
        argvBefore[0] = before;
        contenders.push_back({"before", argvBefore, {}, {}, {}});
    }
    for (Contender& contender : contenders) RunOnce(display, contender.argv, cache);  // warm-up
    std::printf("%s caches; exec -> window mapped / first frame, ms\n",
                cache.cold ? "cold (empty)" : "warm");
    std::printf("%-6s", "round");
    for (const Contender& contender : contenders) std::printf(" %20s", contender.name.c_str());
    std::printf("\n");
    for (int round = 0; round < rounds; ++round) {
        std::vector<Times> times(contenders.size());
        for (size_t k = 0; k < contenders.size(); ++k) {
            size_t which = (k + size_t(round)) % contenders.size();
            times[which] = RunOnce(display, contenders[which].argv, cache);
        }
        std::printf("%-6d", round + 1);
        for (size_t k = 0; k < contenders.size(); ++k) {
            Contender& contender = contenders[k];
            std::printf(" %9.1f / %8.1f", times[k].mapped, times[k].firstFrame);
            contender.mapped.push_back(times[k].mapped);
            contender.firstFrame.push_back(times[k].firstFrame);
            if (times[k].firstFrame > 0 && times[0].firstFrame > 0)
                contender.ratios.push_back(times[k].firstFrame / times[0].firstFrame);
        }
        std::printf("\n");
    }
    std::printf("medians of %d interleaved rounds (%s caches):\n", rounds,
                cache.cold ? "cold" : "warm");
    const double floorFirst = Median(contenders[0].firstFrame);
    for (const Contender& contender : contenders) {
        std::printf(
            "  %-8s exec -> window mapped %7.1f ms, -> first frame %7.1f ms, ratio %.2f "
            "(median of the rounds' ratios %.2f)\n",
            contender.name.c_str(), Median(contender.mapped), Median(contender.firstFrame),
            Median(contender.firstFrame) / floorFirst, Median(contender.ratios));
    }
    cache.Remove();
    XCloseDisplay(display);
    return 0;
}
