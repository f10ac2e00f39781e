#include "support/gl_test.h"

#include <epoxy/gl.h>

#include <cstring>

#include "platform/gfx/gl/gl_backend.h"
#include "scene/effect_setup.h"

namespace rrtest {

void GlTest::SetUp() {
    std::string why = gl.Open(kWidth, kHeight, true, makers_);
    if (why.empty()) {
        device = gl.device.get();
        return;
    }
    if (GlRequired()) FAIL() << why << " (GL is required here: RR_REQUIRE_GL or CI is set)";
    GTEST_SKIP() << why;
}

void GlTest::TearDown() {
    if (device) {
        if (flatProgram_) {
            gfx::gl::MakeCurrent(device);
            glUseProgram(0);
            glDeleteProgram(flatProgram_);
        }
        EXPECT_EQ(gfx::gl::GetGlErrorCount(device), 0u) << "GL reported errors (see the log)";
        while (!owned_.empty()) owned_.pop_back();
        EXPECT_EQ(device->GetLiveObjectCount(), 0u) << "objects made on the device are left alive";
    }
    device = nullptr;
    gl.Close();
}

Picture GlTest::Capture() {
    Picture picture;
    uint32_t width = 0, height = 0;
    EXPECT_EQ(device->GetBackBufferPixels(&width, &height, &picture.rgba), gfx::S_OK);
    picture.width = int(width);
    picture.height = int(height);
    return picture;
}

void GlTest::Clear(uint32_t argb) {
    device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
}

namespace {

// A buffer of the bytes, or null after a failed expectation.
template <typename Buffer, typename Create>
Buffer* Filled(const void* bytes, size_t size, Create create) {
    Buffer* buffer = nullptr;
    EXPECT_EQ(create(uint32_t(size), &buffer), gfx::S_OK);
    void* data = nullptr;
    if (!buffer || gfx::Failed(buffer->Lock(0, 0, &data, 0))) return buffer;
    std::memcpy(data, bytes, size);
    buffer->Unlock();
    return buffer;
}

}  // namespace

gfx::VertexBuffer* GlTest::MakeVertexBuffer(const std::vector<SkinVertex>& vertices) {
    return Keep(Filled<gfx::VertexBuffer>(vertices.data(), vertices.size() * sizeof(SkinVertex),
                                          [&](uint32_t length, gfx::VertexBuffer** out) {
                                              return device->CreateVertexBuffer(
                                                  length, 0, 0, gfx::D3DPOOL_DEFAULT, out, nullptr);
                                          }));
}

gfx::IndexBuffer* GlTest::MakeIndexBuffer(const std::vector<uint16_t>& indices) {
    return Keep(Filled<gfx::IndexBuffer>(indices.data(), indices.size() * sizeof(uint16_t),
                                         [&](uint32_t length, gfx::IndexBuffer** out) {
                                             return device->CreateIndexBuffer(
                                                 length, 0, gfx::D3DFMT_INDEX16,
                                                 gfx::D3DPOOL_DEFAULT, out, nullptr);
                                         }));
}

gfx::VertexDeclaration* GlTest::SkinDeclaration() {
    if (!declaration_) {
        EXPECT_EQ(device->CreateVertexDeclaration(kSkinVertexElements, &declaration_), gfx::S_OK);
        Keep(declaration_);
    }
    return declaration_;
}

void GlTest::BindVertices(gfx::VertexBuffer* vertices) {
    device->SetVertexDeclaration(SkinDeclaration());
    device->SetStreamSource(0, vertices, 0, sizeof(SkinVertex));
}

uint32_t GlTest::UseFlat(Rgb color) {
    gfx::gl::FlushPendingDraws(device);
    gfx::gl::MakeCurrent(device);
    if (!flatProgram_) {
        std::string log;
        flatProgram_ = gfx::gl::BuildProgram(R"(#version 450 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)",
                                             R"(#version 450 core
uniform vec4 color;
out vec4 fragColor;
void main() { fragColor = color; }
)",
                                             &log);
        EXPECT_NE(flatProgram_, 0u) << log;
    }
    gfx::gl::UseProgram(device, flatProgram_);
    glUniform4f(glGetUniformLocation(flatProgram_, "color"), float(color.r) / 255.0f,
                float(color.g) / 255.0f, float(color.b) / 255.0f, 1.0f);
    return flatProgram_;
}

std::vector<SkinVertex> Quad(float x0, float y0, float x1, float y1, float z) {
    const Vector3 n(0, 0, 1);
    return {{{x0, y0, z}, n}, {{x1, y0, z}, n}, {{x1, y1, z}, n},
            {{x0, y0, z}, n}, {{x1, y1, z}, n}, {{x0, y1, z}, n}};
}

}  // namespace rrtest
