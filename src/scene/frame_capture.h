// Taking the picture of one frame (--screenshot): the back buffer is read
// after the frame is drawn and before it is presented, since a presented
// back buffer's contents are undefined.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/core/device.h"

// Reads a device's back buffer as RGBA rows from the top of the picture
// down. The device layer's read-back, handed in by main, so that the scene
// stays free of any one device backend.
using BackBufferReader = bool (*)(gfx::Device* device, uint32_t* width, uint32_t* height,
                                  std::vector<uint8_t>* rgba);

struct FrameCapture {
    BackBufferReader read = nullptr;
    bool taken = false;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;

    void Take(gfx::Device* device) { taken = read && read(device, &width, &height, &rgba); }
};
