// The OpenGL device tests' fixture: a 64 × 64 device (support/gl_test.h) and
// a flat-colour program of the tests' own, bound behind the device's back as
// an effect pass binds its programs.
#pragma once

#include <epoxy/gl.h>

#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"
#include "support/gl_test.h"

namespace gltest {

using namespace rrtest;

// A linked program; the test fails on a compile error.
inline GLuint BuildProgram(const char* vertexSource, const char* fragmentSource) {
    std::string log;
    GLuint program = gfx::gl::BuildProgram(vertexSource, fragmentSource, &log);
    if (!program) ADD_FAILURE() << log;
    return program;
}

// Positions at location 0 passed through as clip space.
inline constexpr const char* kFlatVertexShader = R"(#version 450 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

class DeviceTest : public GlTest {
protected:
    DeviceTest() : GlTest(64, 64) {}
    void SetUp() override {
        GlTest::SetUp();
        if (!Ready()) return;
        gfx::gl::MakeCurrent(device);
        flatProgram = BuildProgram(kFlatVertexShader, R"(#version 450 core
uniform vec4 color;
out vec4 fragColor;
void main() { fragColor = color; }
)");
    }
    void TearDown() override {
        if (Ready()) {
            gfx::gl::MakeCurrent(device);
            glUseProgram(0);
            glDeleteProgram(flatProgram);
        }
        GlTest::TearDown();
    }
    // Draws from now on in this colour (the device's merged draws go first).
    void UseFlat(Rgb color) {
        gfx::gl::FlushPendingDraws(device);
        gfx::gl::MakeCurrent(device);
        glUseProgram(flatProgram);
        glUniform4f(glGetUniformLocation(flatProgram, "color"), color.r / 255.0f, color.g / 255.0f,
                    color.b / 255.0f, 1.0f);
    }
    // A buffer of the vertices, bound to stream 0 with the SkinVertex declaration.
    gfx::VertexBuffer* Bind(const std::vector<SkinVertex>& vertices) {
        gfx::VertexBuffer* buffer = MakeVertexBuffer(vertices);
        BindVertices(buffer);
        return buffer;
    }

    GLuint flatProgram = 0;
};

}  // namespace gltest
