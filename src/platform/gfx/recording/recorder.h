// The recording device backend: implements every device interface without a
// GPU, logs each call with its arguments in order, keeps buffer contents and
// can be told to fail chosen calls. For call-order tests; the same behaviours
// are tested on the OpenGL backend by reading pixels back. Calls pass the
// same front as on the OpenGL device (core/device_front.h): what that device
// refuses, this one refuses too, with the reason in the log (core/log.h),
// texture files included. Its effects and fonts record their calls.
//
// Every object gets a stable id (1, 2, 3, ... in creation order since the last
// Reset) so that tests compare call sequences and ids, not log text.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/core/device_rules.h"

namespace gfx::recording {

struct Call {
    std::string name;     // the method, e.g. "SetRenderState", "Release"
    uint32_t object = 0;  // id of the object the method was called on
    std::vector<double>
        args;          // numeric arguments in order; object arguments as their ids (0 = null)
    std::string text;  // the string argument, if any (path, parameter name, drawn text)
};

struct Recorder {
    std::vector<Call> calls;
    // Names of calls that fail with E_FAIL while listed: "Direct3DCreate9"
    // (returns null), "CreateDevice", "BeginScene", "Lock", "CreateVertexBuffer",
    // "CreateIndexBuffer", "CreateVertexDeclaration", "CreateTexture", "LockRect",
    // "CreateTextureFromFile",
    // "CreateCubeTextureFromFile", "CreateEffectFromFile", "CreateFont", ...
    std::set<std::string> failing;
    // The compiler text handed back when "CreateEffectFromFile" is failing.
    std::string effectErrorText = "effect.fx(1,1): error X0000: forced failure";
    // What GetCreationFailure says when "CreateDevice" is failing.
    std::string creationFailure;
    // Pass count that Effect::Begin reports.
    uint32_t effectPassCount = 2;
    // DevCaps that GetDeviceCaps reports (by default those of every device).
    uint32_t devCaps = rules::kDevCaps;
    // Devices whose last reference went while objects created on them lived.
    int devicesReleasedWithLiveObjects = 0;
    uint32_t nextId = 1;

    // Clears the log, the failures and the ids; settings return to defaults.
    void Reset();
    bool IsFailing(const std::string& name) const { return failing.count(name) != 0; }
    // The names of the logged calls, in order.
    std::vector<std::string> Names() const;
    // The logged calls with this name, in order.
    std::vector<Call> Named(const std::string& name) const;
    // Index of the first call with this name at or after start; −1 if none.
    int Find(const std::string& name, size_t start = 0) const;
};

// The one recorder that all recording objects log to.
Recorder& GetRecorder();

// A recording Direct3D object (one reference), logged as "Direct3DCreate9";
// null for another SDK version or while "Direct3DCreate9" fails. A
// Direct3DFactory.
Direct3D* CreateDirect3D(uint32_t sdkVersion = D3D_SDK_VERSION);
// A recording device without a window (one reference, an 800 × 600 back
// buffer with depth), for tests of code that only borrows a device.
Device* CreateDevice();

// The id the recorder gave an object; 0 for null or a non-recording object.
uint32_t IdOf(const Unknown* object);
// Current contents of a recording vertex or index buffer (empty for others).
const std::vector<uint8_t>& ContentsOf(const Unknown* buffer);

}  // namespace gfx::recording
