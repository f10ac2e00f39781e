// Drawing text leaves the device as it found it: a draw after the text
// renders exactly as it does without the text in between.
#include <epoxy/gl.h>

#include <cstring>

#include "font_gl_fixture.h"
#include "platform/gfx/gl/gl_services.h"

namespace fonttest {
namespace {

// Position + normal, the program's 24-byte vertex.
struct Vertex {
    float x, y, z, nx, ny, nz;
};

const gfx::VertexElement kElements[] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL, 0},
    gfx::D3DDECL_END};

// Clip space, +y up. The first triangle is clockwise on screen (drawn with
// Direct3D's default culling of counter-clockwise triangles), the others
// follow: a large clockwise one behind the first, a counter-clockwise one
// that culling removes.
const Vertex kTriangles[] = {
    {-0.6f, -0.8f, 0.3f, 0, 0, 1}, {0.0f, 0.8f, 0.3f, 0, 0, 1},  {0.6f, -0.8f, 0.3f, 0, 0, 1},
    {-0.9f, -0.9f, 0.7f, 0, 0, 1}, {-0.2f, 0.9f, 0.7f, 0, 0, 1}, {0.9f, 0.0f, 0.7f, 0, 0, 1},
    {0.6f, 0.5f, 0.5f, 0, 0, 1},   {0.9f, 0.5f, 0.5f, 0, 0, 1},  {0.75f, 0.9f, 0.5f, 0, 0, 1},
};

// Stands in for an effect pass: a program bound behind the device's back.
const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
void main() { gl_Position = vec4(position, 1.0); }
)";
const char* const kFragmentShader = R"(#version 450 core
uniform vec4 color;
out vec4 fragColor;
void main() { fragColor = color; }
)";

class FontStateTest : public FontGlTest {
protected:
    void SetUp() override {
        FontGlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        ASSERT_EQ(device->CreateVertexDeclaration(kElements, &declaration), gfx::S_OK);
        ASSERT_EQ(device->CreateVertexBuffer(sizeof kTriangles, 0, 0, gfx::D3DPOOL_MANAGED,
                                             &buffer, nullptr),
                  gfx::S_OK);
        void* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), gfx::S_OK);
        std::memcpy(data, kTriangles, sizeof kTriangles);
        buffer->Unlock();
        gfx::gl::MakeCurrent(device);
        program = glCreateProgram();
        for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, kVertexShader},
                                    std::pair{GL_FRAGMENT_SHADER, kFragmentShader}}) {
            GLuint shader = glCreateShader(type);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
        colorLocation = glGetUniformLocation(program, "color");
    }

    void TearDown() override {
        if (device) {
            gfx::gl::MakeCurrent(device);
            glUseProgram(0);
            glDeleteProgram(program);
            device->SetStreamSource(0, nullptr, 0, 0);
            device->SetVertexDeclaration(nullptr);
        }
        gfx::SafeRelease(buffer);
        gfx::SafeRelease(declaration);
        FontGlTest::TearDown();
    }

    // A frame as the program draws one: a solid triangle, then wireframe
    // triangles with culling and the depth test on, inside a viewport that
    // does not cover the whole back buffer; text in between if asked.
    Picture DrawScene(const gfx::Rect* textRect) {
        Clear(0xFF000000);
        device->BeginScene();
        gfx::Viewport viewport{20, 20, 360, 160, 0.0f, 1.0f};
        device->SetViewport(&viewport);
        device->SetRenderState(gfx::D3DRS_ZENABLE, gfx::D3DZB_TRUE);
        device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW);
        device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_SOLID);
        device->SetVertexDeclaration(declaration);
        device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
        gfx::gl::FlushPendingDraws(device);
        gfx::gl::MakeCurrent(device);
        glUseProgram(program);
        glProgramUniform4f(program, colorLocation, 0, 1, 0, 1);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 1);
        device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_WIREFRAME);
        if (textRect) {
            gfx::Rect rect = *textRect;
            font->DrawTextA(nullptr, "Text over the scene", -1, &rect, 0, 0xFFFF0000);
        }
        gfx::gl::FlushPendingDraws(device);
        gfx::gl::MakeCurrent(device);
        glProgramUniform4f(program, colorLocation, 1, 0, 1, 1);
        device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 3, 2);
        device->EndScene();
        return Capture();
    }

    gfx::VertexDeclaration* declaration = nullptr;
    gfx::VertexBuffer* buffer = nullptr;
    GLuint program = 0;
    GLint colorLocation = -1;
};

int Count(const Picture& picture, Rgb colour) {
    int count = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            count += picture.At(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST_F(FontStateTest, DrawAfterTextRendersAsWithoutIt) {
    const gfx::Rect textRect{30, 25, 250, 45};
    Picture plain = DrawScene(nullptr);
    Picture withText = DrawScene(&textRect);

    // The plain scene is what the states say: a filled green triangle,
    // magenta outlines only (wireframe), nothing outside the viewport.
    const int green = Count(plain, Rgb{0, 255, 0});
    const int magenta = Count(plain, Rgb{255, 0, 255});
    EXPECT_GT(green, 5000);
    EXPECT_GT(magenta, 200);
    EXPECT_LT(magenta, 3000);
    for (int x = 0; x < plain.width; ++x) {
        EXPECT_EQ(plain.At(x, 10), (Rgb{0, 0, 0}));
    }

    int differences = 0;
    int red = 0;
    for (int y = 0; y < plain.height; ++y) {
        for (int x = 0; x < plain.width; ++x) {
            const bool inText = x >= textRect.left && x < textRect.right && y >= textRect.top &&
                                y < textRect.bottom;
            if (inText) {
                red += withText.At(x, y).r > 128 && withText.At(x, y).g < 128 ? 1 : 0;
            } else if (!(withText.At(x, y) == plain.At(x, y))) {
                ++differences;
            }
        }
    }
    EXPECT_GT(red, 100) << "the text itself is missing";
    EXPECT_EQ(differences, 0) << "pictures saved as " << SaveForFailure(plain, ".plain") << " and "
                              << SaveForFailure(withText, ".text");

    // The program the caller bound is bound again.
    gfx::gl::MakeCurrent(device);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program);
    // And the device's own record of its states is untouched.
    uint32_t value = 0;
    device->GetRenderState(gfx::D3DRS_FILLMODE, &value);
    EXPECT_EQ(value, gfx::D3DFILL_WIREFRAME);
    device->GetRenderState(gfx::D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, gfx::D3DCULL_CCW);
    gfx::Viewport viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.x, 20u);
    EXPECT_EQ(viewport.width, 360u);
}

TEST_F(FontStateTest, TextLandsInTargetPixelsClippedByTheViewport) {
    // Text straddling the viewport's left edge (x = 20) is cut there.
    Clear(0xFF000000);
    gfx::Viewport viewport{20, 20, 360, 160, 0.0f, 1.0f};
    device->SetViewport(&viewport);
    gfx::Rect rect{5, 30, 300, 50};
    font->DrawTextA(nullptr, "MMMMMM", -1, &rect, 0, 0xFFFF0000);
    Picture picture = Capture();
    int leftOfViewport = 0;
    int inside = 0;
    for (int y = 30; y < 50; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool red = picture.At(x, y).r > 128;
            (x < 20 ? leftOfViewport : inside) += red ? 1 : 0;
        }
    }
    EXPECT_EQ(leftOfViewport, 0);
    EXPECT_GT(inside, 50);
    // Drawn where the rectangle says, not shifted by the viewport's origin:
    // the first M, starting near x = 6, is cut mid-glyph at x = 20.
    int firstInk = -1;
    for (int x = 20; x < 60 && firstInk < 0; ++x) {
        for (int y = 30; y < 50; ++y) {
            if (picture.At(x, y).r > 128) {
                firstInk = x;
                break;
            }
        }
    }
    EXPECT_LE(firstInk, 24) << SaveForFailure(picture, "");
}

}  // namespace
}  // namespace fonttest
