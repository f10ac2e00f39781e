// The fixture of every GL test: a fresh temporary folder for the files the
// test writes, and a window and OpenGL device of the given size with GL
// error checking on, its effects and fonts made by the makers given. Without
// a display or GL 4.5 the test is skipped, or fails where GL is required
// (GlRequired). At the end GL must have reported
// no error and no object made on the device may be left alive.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "model/skin_vertex.h"
#include "platform/gfx/core/device.h"
#include "support/gl_harness.h"
#include "support/pictures.h"
#include "support/temp_folder.h"

namespace rrtest {

class GlTest : public ::testing::Test {
protected:
    GlTest(int width, int height, const gfx::EffectAndFontMakers& makers = {})
        : kWidth(width), kHeight(height), makers_(makers) {}
    void SetUp() override;
    void TearDown() override;
    // Whether SetUp made the device (the test is neither skipped nor failed).
    bool Ready() const { return device != nullptr; }

    // The back buffer, rows top down.
    Picture Capture();
    // Clears colour and depth, as the frame does.
    void Clear(uint32_t argb);
    // A vertex buffer holding vertices (released at the end of the test).
    gfx::VertexBuffer* MakeVertexBuffer(const std::vector<SkinVertex>& vertices);
    gfx::IndexBuffer* MakeIndexBuffer(const std::vector<uint16_t>& indices);
    // The scene's declaration of SkinVertex (released at the end of the test).
    gfx::VertexDeclaration* SkinDeclaration();
    // Binds vertices to stream 0 with the SkinVertex declaration.
    void BindVertices(gfx::VertexBuffer* vertices);
    // Draws from now on with a program of the tests' own in one colour, bound
    // behind the device's back as an effect pass binds its programs
    // (positions at location 0 in clip space); the merged draws go first.
    // Returns the program's GL name.
    uint32_t UseFlat(Rgb color);
    // obj is released at the end of the test, before the device, latest first.
    template <typename T>
    T* Keep(T* object) {
        if (object) owned_.push_back(gfx::Ref<gfx::Unknown>::Adopt(object));
        return object;
    }

    const int kWidth;
    const int kHeight;
    TempFolder folder;
    GlHarness gl;
    gfx::Device* device = nullptr;

private:
    gfx::EffectAndFontMakers makers_;
    std::vector<gfx::Ref<gfx::Unknown>> owned_;
    gfx::VertexDeclaration* declaration_ = nullptr;
    uint32_t flatProgram_ = 0;
};

// Two triangles covering [x0, x1] × [y0, y1] of clip space at depth z, both
// counter-clockwise on screen, normals +z.
std::vector<SkinVertex> Quad(float x0, float y0, float x1, float y1, float z = 0.5f);

}  // namespace rrtest
