// A 128 × 128 OpenGL device (support/gl_test.h) whose effects the effect
// library makes, and what the effect tests draw with: effect files written to the
// test's folder, a cube map of six pure colours, the environment box and a
// sphere.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "math/matrix4.h"
#include "math/vector3.h"
#include "platform/gfx/effect/effect.h"
#include "support/gl_test.h"

namespace effecttest {

using namespace rrtest;

// The cube map's faces in the device's face order +X, -X, +Y, -Y, +Z, -Z.
constexpr Rgb kFaceColors[6] = {{255, 0, 0},   {0, 255, 255}, {0, 255, 0},
                                {255, 0, 255}, {0, 0, 255},   {255, 255, 0}};
enum Face { kPosX, kNegX, kPosY, kNegY, kPosZ, kNegZ };

class EffectGlTest : public GlTest {
protected:
    EffectGlTest() : GlTest(128, 128, {&gfx::effect::MakeEffect, nullptr}) {}

    // Writes text to a file in the test's folder; returns its path.
    std::string WriteFile(const std::string& name, const std::string& text) {
        return folder.Write(name, text);
    }
    // The effect from path, or null; errors receive the handed-back text.
    gfx::Effect* CreateEffect(const std::string& path, std::string* errors = nullptr);
    // A cube texture of the six face colours, loaded through the device.
    gfx::CubeTexture* CreateColorCube();

    // Buffers made current: vertices on stream 0 with the SkinVertex declaration.
    void SetVertices(const std::vector<SkinVertex>& vertices) {
        BindVertices(MakeVertexBuffer(vertices));
    }
    void SetIndices(const std::vector<uint16_t>& indices) {
        device->SetIndices(MakeIndexBuffer(indices));
    }

    // The face whose colour is nearest to the pixel's of picture; -1 for none.
    int FaceAt(int x, int y) const;

    Picture picture;  // the latest Capture
};

// The scene's environment box (normals filled with normalFill).
std::vector<SkinVertex> BoxVertices(float normalFill);
std::vector<uint16_t> BoxIndices();
// A unit sphere around centre with outward normals.
void Sphere(const Vector3& centre, std::vector<SkinVertex>* vertices,
            std::vector<uint16_t>* indices);

}  // namespace effecttest
