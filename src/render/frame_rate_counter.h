// Frames per second, measured once per second of ticks.
#pragma once

#include <cstdint>

#include "platform/window/core/window_api.h"

struct FrameRateCounter {
    using TickSource = DWORD (*)();

    uint32_t lastTime = 0;        // tick count of the previous call, milliseconds
    uint32_t frameCounter = 0;    // calls since the last measurement
    float elapsedSeconds = 0.0f;  // seconds since the last measurement
    bool started = false;         // the first call has set lastTime
    TickSource tickSource = timeGetTime;

    // Counts one frame. When a second or more has gathered, stores
    // frames / seconds in framesPerSecond and starts a new interval;
    // otherwise leaves framesPerSecond alone.
    void Update(float& framesPerSecond);
};
