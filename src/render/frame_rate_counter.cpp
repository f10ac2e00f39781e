#include "render/frame_rate_counter.h"

void FrameRateCounter::Update(float& framesPerSecond) {
    if (!started) {
        started = true;
        lastTime = tickSource();
    }
    uint32_t now = tickSource();
    ++frameCounter;
    // Unsigned subtraction: a tick count that wrapped past 2^32 still gives
    // the true small difference.
    uint32_t elapsedTicks = now - lastTime;
    elapsedSeconds = elapsedSeconds + static_cast<float>(elapsedTicks) * 0.001f;
    if (elapsedSeconds >= 1.0f) {
        framesPerSecond = static_cast<float>(frameCounter) / elapsedSeconds;
        elapsedSeconds = 0.0f;
        frameCounter = 0;
    }
    lastTime = now;
}
