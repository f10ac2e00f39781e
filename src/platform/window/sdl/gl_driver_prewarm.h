// The X display's GL driver, loaded on a thread of its own while SDL starts.
//
// Loading the driver is the slowest step of making the first GL window: for
// Mesa it brings LLVM, 15 to 25 ms of relocation and set-up on the thread
// that asks, and SDL asks on the main thread, after its own start. Nothing
// in the loading depends on SDL: one GLX query on a connection of the
// thread's own loads the same driver into the process, and SDL's GLX set-up
// then finds it there. The thread keeps its connection (and with it the
// driver) until the first window has GL (Release), then closes it itself,
// so the main thread never waits for it.
//
// Only for SDL's x11 driver, where GL is GLX, and only while SDL's own start
// parses Xlib's Compose table (compose_cache.h): with the table mapped from
// a cache, the main thread reaches the driver about when the thread would
// have loaded it, and the thread's connection and Xlib's locks cost more
// than the overlap gives (up to 3 ms). RR_GL_PREWARM=0 turns it off, =1 on
// in both cases (for measuring what it gives).
//
// The thread slows the parse it overlaps: once a process has a second
// thread, glibc's stdio locks every getc, and Xlib reads the table a
// character at a time (SDL's video start: 11 ms with one thread, 18 ms with
// two, on a 2-core Xeon). Starting every thread after SDL's start instead,
// with no prewarm, measured the same as this: the driver then loads on the
// main thread, after the parse rather than beside it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class GlDriverPrewarm {
public:
    GlDriverPrewarm() = default;
    ~GlDriverPrewarm();  // releases the connection and waits for the thread
    GlDriverPrewarm(const GlDriverPrewarm&) = delete;
    GlDriverPrewarm& operator=(const GlDriverPrewarm&) = delete;

    // Starts the thread on the X display DISPLAY names, once, unless Xlib's
    // Compose table is cached (above); call it before anything else in the
    // process uses Xlib (it makes Xlib thread-safe).
    void Start(bool composeTableCached);
    // A window has GL now: the thread closes its connection and ends.
    void Release();
    // Release, and wait for the thread to end (before a fork: a message box).
    void Finish();

    bool Started() const { return thread_.joinable(); }

private:
    void Run();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable released_;
    bool release_ = false;
    bool started_ = false;
};
