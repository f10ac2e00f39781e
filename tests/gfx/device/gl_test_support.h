// Shared fixture of the OpenGL device tests: an SDL window with the window
// layer's GL attributes, a device on it with GL error checking on, a tiny
// shader program of the tests' own, and pixel checks that save the picture
// when they fail.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/gfx/core/device.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"

namespace gltest {

struct Color {
    int r, g, b;
};
constexpr Color kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255},
    kBlack{0, 0, 0}, kYellow{255, 255, 0}, kCyan{0, 255, 255}, kMagenta{255, 0, 255};

// Position + normal, the program's 24-byte vertex.
struct Vertex {
    float x, y, z;
    float nx, ny, nz;
};

// Makes an SDL window the way the window layer does (GL attributes set
// before creation). Null when there is no display.
SDL_Window* MakeGlWindow(int width, int height, bool opengl = true);

// A linked program; aborts the test on a compile error.
GLuint BuildProgram(const char* vertexSource, const char* fragmentSource);

// Vertex shader passing clip-space positions through; fragment shader
// writing the uniform "color".
extern const char* const kFlatVertexShader;
extern const char* const kFlatFragmentShader;

class DeviceTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 64;

    void SetUp() override;
    void TearDown() override;

    // Uses the flat program with this colour (after flushing pending draws).
    void UseFlat(Color color);
    // A vertex buffer holding these vertices, bound to stream 0 with the
    // position + normal declaration.
    gfx::VertexBuffer* MakeBuffer(const std::vector<Vertex>& vertices);
    void BindBuffer(gfx::VertexBuffer* buffer);
    // Clear colour and depth, as the frame does.
    void ClearTo(uint32_t argb);

    // The back buffer, rows top down.
    void Capture();
    // Whether pixel (x, y) from the top left is within tolerance of the
    // colour; on failure the picture is saved as <test name>.ppm.
    ::testing::AssertionResult PixelIs(int x, int y, Color expected, int tolerance = 2);
    Color PixelAt(int x, int y) const;

    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    gfx::Direct3D* d3d = nullptr;
    gfx::Device* device = nullptr;
    gfx::VertexDeclaration* declaration = nullptr;
    GLuint flatProgram = 0;
    std::vector<gfx::Unknown*> owned;  // released in TearDown, in reverse
    std::vector<uint8_t> pixels;
    uint32_t capturedWidth = 0, capturedHeight = 0;
};

// Whether a colour is within tolerance of another.
::testing::AssertionResult PixelIsColour(Color got, Color expected, int tolerance = 2);

// The position + normal declaration.
extern const gfx::VertexElement kSkinVertexElements[3];

// Two triangles covering the rectangle [x0, x1] × [y0, y1] of clip space at depth z.
std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, float z = 0.5f);

// Saves an RGBA picture as PPM in the working directory.
void SavePpm(const std::string& name, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba);

}  // namespace gltest
