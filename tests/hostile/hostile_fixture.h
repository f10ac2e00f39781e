// The hostile-file table's harness: the GL tests' window and device (with a
// fresh folder per test), a scratch folder per row to make files, FIFOs,
// links and sparse giants in, the loaders' stderr lines and message boxes
// caught, and a snapshot of everything a refused file must leave as it was
// (on a device without GL, its objects and render states).
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "model/load_context.h"
#include "platform/gfx/effect/effect.h"
#include "support/gl_test.h"

namespace hostile {

using Bytes = std::vector<uint8_t>;

// Files made for one row, in a folder removed afterwards. Its name is short
// (/tmp/rr-hostile-XXXXXX): a model's texture paths must fit 79 characters.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& Folder() const { return folder_; }
    std::string Write(const std::string& name, const Bytes& bytes);
    std::string Write(const std::string& name, const std::string& text);
    std::string Fifo(const std::string& name);
    std::string Folder(const std::string& name);
    std::string Link(const std::string& name, const std::string& target);
    // A file of `size` bytes holding `head` and then zeros, without taking
    // the disk space (a hole).
    std::string Sparse(const std::string& name, uint64_t size, const Bytes& head = {});

private:
    std::string File(const std::string& name) const;
    std::string folder_;
};

// What a refused file must not change: the device's objects and states, the
// GL state a loader could touch, GL errors.
struct DeviceState {
    uint32_t liveObjects = 0;
    uint32_t glErrors = 0;
    uint32_t renderStates[4] = {};  // fill mode, cull mode, z enable, z write
    GLint unpackAlignment = 0;
    GLint texture2d = 0;
    GLint textureCube = 0;
    GLint program = 0;

    bool operator==(const DeviceState&) const = default;
};

// Everything written to stderr while it lives (Take ends the capture).
class StderrCapture {
public:
    StderrCapture() { ::testing::internal::CaptureStderr(); }
    ~StderrCapture() { Take(); }
    std::string Take();

private:
    bool taken_ = false;
};

struct ShownBox {
    std::string caption;
    std::string text;
};
// Message boxes shown since the last call (recorded, never shown).
std::vector<ShownBox> TakeMessageBoxes();
// Where the readers under test report: notes to stderr as the program writes
// them, boxes recorded for TakeMessageBoxes. Relative paths from folder.
LoadContext HostileContext(const std::string& folder = "");

// Render states away from their defaults, so that a loader resetting them shows.
void SetStatesAwayFromTheirDefaults(gfx::Device* device);
// The device's live objects and render states (the GL fields stay 0).
DeviceState SnapshotOf(gfx::Device* device);

class HostileFileTest : public rrtest::GlTest {
protected:
    HostileFileTest() : GlTest(64, 64, {&gfx::effect::MakeEffect, nullptr}) {}
    void SetUp() override;
    void TearDown() override;
    DeviceState Snapshot();
};

}  // namespace hostile
