// The calls a device must accept or refuse, the same on every backend, each
// refusal logged with its reason. Run on the recording and null devices by
// the unit tests and on the OpenGL device by the GL tests, so that a test on
// the recording device refuses what the real device refuses.
#pragma once

#include "platform/gfx/core/device.h"

namespace rrtest {

// Checks every case on device (a fresh one: the cases bind objects, set
// states and open a scene, and release what they made).
void CheckDeviceRefusals(gfx::Device* device);

// Checks CreateDevice's refusals of present parameters (before any window
// is looked at) on d3d, and what GetCreationFailure says after each.
void CheckCreateDeviceRefusals(gfx::Direct3D* d3d);

}  // namespace rrtest
