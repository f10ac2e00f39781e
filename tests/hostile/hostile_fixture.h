// The hostile-file table's harness: an OpenGL device on a hidden window, a
// scratch folder to make files, FIFOs, links and sparse giants in, the
// loaders' log lines and message boxes caught, and a snapshot of everything
// a refused file must leave as it was.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/core/device.h"

namespace hostile {

using Bytes = std::vector<uint8_t>;

// Files made for one row, in a folder removed afterwards.
class Scratch {
public:
    Scratch();
    ~Scratch();
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

// Everything a loader wrote to stderr while it ran.
class StderrCapture {
public:
    StderrCapture();
    ~StderrCapture();
    std::string Take();

private:
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

struct ShownBox {
    std::string caption;
    std::string text;
};
// Message boxes shown since the last call (recorded, never shown).
std::vector<ShownBox> TakeMessageBoxes();

class HostileFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    DeviceState Snapshot();

    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    gfx::Direct3D* d3d = nullptr;
    gfx::Device* device = nullptr;
};

}  // namespace hostile
