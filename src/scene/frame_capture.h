// Taking the picture of one frame (--screenshot): the back buffer is read
// after the frame is drawn and before it is presented, since a presented
// back buffer's contents are undefined.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/core/device.h"

// The back buffer as RGBA rows from the top of the picture down; taken is
// false when the device has no pixels to give (the null and recording ones).
struct FrameCapture {
    bool taken = false;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;

    void Take(gfx::Device* device) {
        taken = gfx::Succeeded(device->GetBackBufferPixels(&width, &height, &rgba));
    }
};
