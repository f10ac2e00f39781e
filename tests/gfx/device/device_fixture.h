// The OpenGL device tests' fixture: a 64 × 64 device (support/gl_test.h).
#pragma once

#include <epoxy/gl.h>

#include "platform/gfx/gl/gl_backend.h"
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
    // A buffer of the vertices, bound to stream 0 with the SkinVertex declaration.
    gfx::VertexBuffer* Bind(const std::vector<SkinVertex>& vertices) {
        gfx::VertexBuffer* buffer = MakeVertexBuffer(vertices);
        BindVertices(buffer);
        return buffer;
    }
};

}  // namespace gltest
