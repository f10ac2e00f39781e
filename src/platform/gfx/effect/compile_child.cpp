#include "platform/gfx/effect/compile_child.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

extern char** environ;

namespace gfx::effect {

namespace {

constexpr char kProgramName[] = "rr-effect-compiler";
// The most an answer may hold: the GLSL of 64 passes and their tables.
constexpr size_t kMaxAnswerBytes = 256u << 20;
// What is kept of the process's stderr (its last words).
constexpr size_t kMaxErrorBytes = 4096;

using Clock = std::chrono::steady_clock;

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

std::string OwnFolder() {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// The child's environment: this one, and under AddressSanitizer (which
// cannot run with an address-space limit) an RSS limit in its options.
std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
#if defined(RR_ADDRESS_SANITIZER)
        if (std::strncmp(*entry, "ASAN_OPTIONS=", 13) == 0) continue;
#endif
        variables.emplace_back(*entry);
    }
#if defined(RR_ADDRESS_SANITIZER)
    const char* options = getenv("ASAN_OPTIONS");
    std::string asan = std::string("ASAN_OPTIONS=") + (options ? options : "");
    if (options && *options) asan += ":";
    asan += "hard_rss_limit_mb=" + std::to_string(kAddressSpaceBytes >> 20) +
            ":allocator_may_return_null=1:detect_leaks=0";
    variables.push_back(asan);
#endif
    return variables;
}

std::string LastLine(const std::string& text) {
    size_t end = text.find_last_not_of("\n\r ");
    if (end == std::string::npos) return {};
    size_t begin = text.rfind('\n', end);
    return text.substr(begin == std::string::npos ? 0 : begin + 1, end + 1 - (begin + 1));
}

// Why the process ended without an answer, in one sentence.
std::string Reason(int status, const rusage& usage, const std::string& errors, bool timedOut) {
    double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (timedOut) return "the effect compiler ran out of time";
    if (WIFSIGNALED(status)) {
        int signal = WTERMSIG(status);
        if (signal == SIGXCPU || (signal == SIGKILL && cpu >= kCpuSeconds))
            return "the effect compiler ran out of time (" + std::to_string(kCpuSeconds) +
                   " s of processor time)";
        return "the effect compiler crashed (signal " + std::to_string(signal) + ") on this file";
    }
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        if (code == kExitOutOfMemory || errors.find("rss limit") != std::string::npos)
            return "the effect compiler ran out of memory (" +
                   std::to_string(kAddressSpaceBytes >> 20) + " MB)";
        if (code == kExitCpuTime)
            return "the effect compiler ran out of time (" + std::to_string(kCpuSeconds) +
                   " s of processor time)";
        if (code == kExitExpansionTime)
            return "the effect's macros expand too far: expanding them took the compiler's " +
                   std::to_string(kCpuSeconds) + " s of processor time";
        if (code == kExitExpansionMemory)
            return "the effect's macros expand too far: expanding them took all the compiler's "
                   "memory (" +
                   std::to_string(kAddressSpaceBytes >> 20) + " MB)";
        if (code == kExitStackOverflow)
            return "the effect compiler ran out of stack: something in this file is nested too "
                   "deeply";
        std::string last = LastLine(errors);
        return "the effect compiler failed (exit code " + std::to_string(code) + ")" +
               (last.empty() ? std::string() : ": " + last);
    }
    return "the effect compiler stopped without an answer";
}

// A started compiler process: its pid, the socket its stdin and stdout are,
// the read end of its stderr.
struct CompilerProcess {
    pid_t pid = -1;
    int socket = -1;
    int errors = -1;
    std::string program;

    void Close() {
        if (socket >= 0) close(socket);
        if (errors >= 0) close(errors);
        socket = errors = -1;
    }
    // Ends a process that will not be asked anything.
    void Stop() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        pid = -1;
        Close();
    }
};

}  // namespace

std::string CompilerProgramPath() {
    std::string own = OwnFolder();
    if (!own.empty()) {
        for (const std::string& candidate :
             {own + "/" + kProgramName, own + "/../libexec/reflect-refract/" + kProgramName}) {
            if (Executable(candidate)) return candidate;
        }
    }
#ifdef RR_COMPILER_PROGRAM
    if (Executable(RR_COMPILER_PROGRAM)) return RR_COMPILER_PROGRAM;
#endif
    return own + "/" + kProgramName;
}

namespace {

bool Spawn(const std::string& program, CompilerProcess* out, std::string* failure) {
    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) {
        *failure = std::string("the effect compiler could not be started: ") + std::strerror(errno);
        return false;
    }
    Fd theirs(sockets[1]);
    out->socket = sockets[0];
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        *failure = std::string("the effect compiler could not be started: ") + std::strerror(errno);
        out->Close();
        return false;
    }
    out->errors = errorPipe[0];
    Fd errorWrite(errorPipe[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, theirs.Get(), 0);
    posix_spawn_file_actions_adddup2(&actions, theirs.Get(), 1);
    posix_spawn_file_actions_adddup2(&actions, errorWrite.Get(), 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
    std::vector<std::string> environment = ChildEnvironment();
    std::vector<char*> envp;
    envp.reserve(environment.size() + 1);
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    theirs.Close();
    errorWrite.Close();
    if (spawned != 0) {
        *failure =
            "the effect compiler " + program + " could not be started: " + std::strerror(spawned);
        out->Close();
        return false;
    }
    out->pid = pid;
    out->program = program;
    return true;
}

// Sends input, reads the answer and reaps the process, never past
// wallSeconds from now; the process is gone afterwards.
bool Exchange(CompilerProcess& process, const std::string& input, CompileResult* result,
              std::string* failure, int wallSeconds) {
    // Feed the request and read both outputs at once, until both outputs
    // end or the deadline passes.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(wallSeconds);
    std::string answer, errors;
    size_t sent = 0;
    bool outOpen = true, errOpen = true, tooLong = false, timedOut = false;
    char buffer[65536];
    while (outOpen || errOpen) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd fds[2] = {{process.socket, 0, 0}, {process.errors, 0, 0}};
        if (outOpen)
            fds[0].events = POLLIN | (sent < input.size() ? POLLOUT : 0);
        else
            fds[0].fd = -1;
        if (errOpen)
            fds[1].events = POLLIN;
        else
            fds[1].fd = -1;
        int ready = poll(fds, 2, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) break;
        if (sent < input.size() && (fds[0].revents & (POLLOUT | POLLERR | POLLHUP))) {
            ssize_t put = send(process.socket, input.data() + sent, input.size() - sent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
            if (put > 0) sent += static_cast<size_t>(put);
            if (put < 0 && errno != EAGAIN && errno != EINTR) sent = input.size();  // it left
            if (sent == input.size()) shutdown(process.socket, SHUT_WR);
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t got = recv(process.socket, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0) {
                answer.append(buffer, static_cast<size_t>(got));
                if (answer.size() > kMaxAnswerBytes) {
                    tooLong = true;
                    break;
                }
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                outOpen = false;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t got = read(process.errors, buffer, sizeof buffer);
            if (got > 0) {
                errors.append(buffer, static_cast<size_t>(got));
                if (errors.size() > kMaxErrorBytes) errors.erase(0, errors.size() - kMaxErrorBytes);
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                errOpen = false;
            }
        }
    }

    // Both outputs closed: the process is ending. Reap it, without waiting
    // past the deadline; a process that is still there then is killed.
    int status = 0;
    rusage usage = {};
    bool killed = false;
    auto end = [&] {
        kill(process.pid, SIGKILL);
        killed = true;
    };
    if (timedOut || tooLong) end();
    for (;;) {
        // Once killed, the process ends at once: waiting for it is safe.
        pid_t done = wait4(process.pid, &status, killed ? 0 : WNOHANG, &usage);
        if (done == process.pid) break;
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) break;
        if (Clock::now() >= deadline) {
            timedOut = true;
            end();
            continue;
        }
        usleep(1000);
    }
    process.pid = -1;
    process.Close();
    if (timedOut || tooLong) {
        *failure =
            tooLong ? "the effect compiler answered with too much" : Reason(0, usage, errors, true);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        if (DecodeResult(answer, result)) return true;
        *failure = "the effect compiler's answer could not be read";
        return false;
    }
    *failure = Reason(status, usage, errors, false);
    return false;
}

// The next compile's process, started ahead: it starts and builds glslang's
// tables while the program does other work, so a compile finds it ready.
// Each process still compiles one effect only: nothing one effect did to
// glslang can touch the next.
class SpareProcess {
public:
    ~SpareProcess() {
        std::lock_guard<std::mutex> lock(mutex_);
        spare_.Stop();
    }

    // The spare for program, or a process started now.
    bool Take(const std::string& program, CompilerProcess* out, std::string* failure) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (spare_.pid > 0) {
            int status = 0;
            bool gone = waitpid(spare_.pid, &status, WNOHANG) == spare_.pid;
            if (gone) spare_.pid = -1;
            if (gone || spare_.program != program) {
                spare_.Stop();
            } else {
                *out = spare_;
                spare_ = CompilerProcess();
                return true;
            }
        }
        return Spawn(program, out, failure);
    }

    void Refill(const std::string& program) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (spare_.pid > 0) return;
        std::string failure;
        if (!Spawn(program, &spare_, &failure)) spare_ = CompilerProcess();
    }

private:
    std::mutex mutex_;
    CompilerProcess spare_;
};

std::atomic<uint64_t> compilesAsked{0};

SpareProcess& Spare() {
    static SpareProcess spare;
    return spare;
}

}  // namespace

bool RunCompilerProcess(const std::string& program, const CompileRequest& request,
                        CompileResult* result, std::string* failure, int wallSeconds) {
    CompilerProcess process;
    if (!Spawn(program, &process, failure)) return false;
    return Exchange(process, EncodeRequest(request), result, failure, wallSeconds);
}

void StartCompilerProcess() { Spare().Refill(CompilerProgramPath()); }

bool CompileRequestIsolated(const CompileRequest& request, const std::string& program,
                            CompiledEffect* out, std::string* log) {
    log->clear();
    ++compilesAsked;
    CompileResult result;
    std::string failure;
    CompilerProcess process;
    bool answered = Spare().Take(program, &process, &failure) &&
                    Exchange(process, EncodeRequest(request), &result, &failure, kWallSeconds);
    Spare().Refill(program);
    if (!answered) {
        *log = request.path + ": error: " + failure + "\n";
        return false;
    }
    if (!result.compiled) {
        *log = result.log;
        return false;
    }
    *out = std::move(result.effect);
    return true;
}

uint64_t CompilerProcessCompiles() { return compilesAsked.load(); }

bool CompileEffectIsolated(const std::string& text, const std::string& path, CompiledEffect* out,
                           std::string* log) {
    log->clear();
    CompileRequest request;
    request.path = path;
    std::string error;
    if (!ReadEffectSource(text, path, &request.source, &error)) {
        *log = error + "\n";
        return false;
    }
    return CompileRequestIsolated(request, CompilerProgramPath(), out, log);
}

}  // namespace gfx::effect
