// An OpenGL device on a hidden SDL window with the effect library installed,
// and what the effect tests draw with: a 24-byte position+normal vertex
// layout, buffers, a cube map of six pure colours, and picture read-back.
#pragma once

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix4.h"
#include "math/vector3.h"
#include "platform/gfx/core/device.h"
#include "platform/window/core/win_types.h"

namespace effecttest {

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
};

struct Rgb {
    int r, g, b;
};

// The cube map's faces in the device's face order +X, -X, +Y, -Y, +Z, -Z.
constexpr Rgb kFaceColors[6] = {{255, 0, 0},   {0, 255, 255}, {0, 255, 0},
                                {255, 0, 255}, {0, 0, 255},   {255, 255, 0}};
enum Face { kPosX, kNegX, kPosY, kNegY, kPosZ, kNegZ };

class EffectGlTest : public testing::Test {
protected:
    static constexpr int kWidth = 128;
    static constexpr int kHeight = 128;

    void SetUp() override;
    void TearDown() override;

    // Writes text to a file in the test's folder; returns its path.
    std::string WriteFile(const std::string& name, const std::string& text);
    // The effect from path, or null; errors receive the handed-back text.
    gfx::Effect* CreateEffect(const std::string& path, std::string* errors = nullptr);
    // A cube texture of the six face colours, loaded through the device.
    gfx::CubeTexture* CreateColorCube();

    // Buffers made current on stream 0 with the position+normal declaration.
    void SetVertices(const std::vector<Vertex>& vertices);
    void SetIndices(const std::vector<uint16_t>& indices);

    void Clear(uint32_t argb);
    void Capture();
    Rgb PixelAt(int x, int y) const;
    // The face whose colour is nearest to the pixel's.
    int FaceAt(int x, int y) const;
    // Writes the picture next to the test binary; returns the file name.
    std::string SavePicture(const char* suffix) const;

    SDL_Window* window = nullptr;
    HWND hwnd = nullptr;
    gfx::Direct3D* d3d = nullptr;
    gfx::Device* device = nullptr;
    gfx::VertexDeclaration* declaration = nullptr;
    gfx::VertexBuffer* vertexBuffer = nullptr;
    gfx::IndexBuffer* indexBuffer = nullptr;
    std::vector<uint8_t> pixels;  // RGBA, top row first
};

// The environment box: half-size 100, four corners per face, two triangles
// per face.
std::vector<Vertex> BoxVertices(float normalFill);
std::vector<uint16_t> BoxIndices();
// A unit sphere around centre with outward normals.
void Sphere(const Vector3& centre, std::vector<Vertex>* vertices, std::vector<uint16_t>* indices);

}  // namespace effecttest
