// A window, an OpenGL device and the HUD's font on it, for the font's pixel
// tests: text is drawn, the back buffer read back, and pictures saved when a
// check fails.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/gfx/core/device.h"

namespace fonttest {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// A picture read back from the device, rows top down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    Rgb At(int x, int y) const {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return Rgb{p[0], p[1], p[2]};
    }
    // Saves the picture as <name>.ppm in the working directory.
    void Save(const std::string& name) const;
};

class FontGlTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 400;
    static constexpr int kHeight = 200;

    void SetUp() override;
    void TearDown() override;

    // The HUD's font: "Arial", 20 pixels, bold, as the renderer creates it.
    gfx::Font* CreateHudFont();
    void Clear(uint32_t argb);
    Picture Capture();
    // Saves the picture under the current test's name (for failures).
    std::string SaveForFailure(const Picture& picture, const char* suffix);

    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    gfx::Direct3D* d3d = nullptr;
    gfx::Device* device = nullptr;
    gfx::Font* font = nullptr;
};

// Ink of the picture: pixels where the channel selected differs from the
// background by more than half.
std::vector<uint8_t> InkMask(const Picture& picture, int channel, int background);

}  // namespace fonttest
