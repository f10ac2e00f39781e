// Presenting: the back buffer onto the window's default framebuffer.
//
// When the window's framebuffer matches the back buffer (8-bit colour, no
// alpha for an X8R8G8B8 back buffer, depth 24, stencil 8) and has its size,
// the frames are drawn straight into it and a present only swaps: no copy,
// and no program for one at the first present. Otherwise (a stretched
// window while the panel lets it grow, another format, RR_GL_OFFSCREEN=1,
// or no window at all) the device draws into a framebuffer of its own, and
// a present copies it over the window.
//
// When the window's drawable has the back buffer's size, one triangle over
// the window fetches the back buffer's texels one for one: the same pixels a
// framebuffer blit copies. The blit is kept for a stretched window only,
// because a driver that blits through shaders of its own builds them anew in
// every process (Mesa's llvmpipe compiles its blit to code at the first
// blit, some 40 to 70 ms, more than the rest of the first frame), while the
// triangle's program is an ordinary one: its binary comes from the start-up
// cache (gl_program.cpp) and the driver keeps what it compiles from it in its
// own shader cache.
#include <cstdlib>
#include <string>

#include "platform/gfx/core/log.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_device.h"
#include "platform/window/core/native_window.h"

namespace gfx::gl {

namespace {

// Corners (−1, −1), (3, −1), (−1, 3): one triangle covering the viewport.
constexpr const char* kVertexShader = R"(#version 450 core
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) << 2), float((gl_VertexID & 2) << 1));
    gl_Position = vec4(corner - 1.0, 0.0, 1.0);
}
)";

// Window pixel (x, y) from the bottom left is back-buffer texel (x, y), as a
// blit of equal rectangles has it.
constexpr const char* kFragmentShader = R"(#version 450 core
layout(location = 0) uniform sampler2D backBuffer;
out vec4 fragColor;
void main() {
    fragColor = texelFetch(backBuffer, ivec2(gl_FragCoord.xy), 0);
}
)";

constexpr GLint kBackBufferUniform = 0;

}  // namespace

bool GlDevice::WindowMatchesBackBuffer(bool alpha) const {
    const char* offscreen = std::getenv("RR_GL_OFFSCREEN");
    if (offscreen && offscreen[0] == '1') return false;
    if (!context_.window->HasDefaultFramebuffer()) return false;
    // Asked with the window's framebuffer bound, as it is while the device is made.
    GLboolean doubleBuffered = GL_FALSE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    if (!doubleBuffered) return false;
    struct Size {
        GLenum attachment, size;
        GLint want;
    };
    const Size sizes[] = {
        {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE, 8},
        {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_GREEN_SIZE, 8},
        {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_BLUE_SIZE, 8},
        // An X8R8G8B8 back buffer reads alpha as 1, as a window without
        // alpha does (and a window's alpha would let the desktop through).
        {GL_BACK_LEFT, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE, alpha ? 8 : 0},
        {GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, 24},
        {GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, 8},
    };
    bool matches = true;
    for (const Size& size : sizes) {
        GLint bits = -1;
        glGetNamedFramebufferAttachmentParameteriv(0, size.attachment, size.size, &bits);
        matches = matches && bits == size.want;
    }
    return matches;
}

void GlDevice::ChooseDrawTarget() {
    int width = 0, height = 0;
    if (windowMatches_) context_.window->GetGlDrawableSize(&width, &height);
    const bool window =
        windowMatches_ && width == int(BackBufferWidth()) && height == int(BackBufferHeight());
    const GLuint framebuffer = window ? 0 : backBuffer_.framebuffer;
    if (framebuffer == drawn_) return;
    drawn_ = framebuffer;
    BindBackBuffer();
    appliedValid_ = false;
}

bool GlDevice::DrawToWindow(int width, int height) {
    if (present_.failed) return false;
    if (!present_.program) {
        std::string log;
        present_.program = gl::BuildProgram(kVertexShader, kFragmentShader, &log);
        if (!present_.program) {
            present_.failed = true;
            LogLine("the present program was refused (presents blit): %s", log.c_str());
            return false;
        }
        // The text overlay's unit: it binds its atlas there before each draw.
        GLint units = 0;
        glGetIntegerv(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS, &units);
        present_.unit = units > 16 ? units - 1 : 15;
        glProgramUniform1i(present_.program, kBackBufferUniform, present_.unit);
        glCreateVertexArrays(1, &present_.vao);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, width, height);
    glUseProgram(present_.program);
    glBindVertexArray(present_.vao);
    glBindTextureUnit(GLuint(present_.unit), backBuffer_.color);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindTextureUnit(GLuint(present_.unit), 0);
    // The device's program, framebuffer and state again before its next draw.
    glUseProgram(program_);
    BindBackBuffer();
    appliedValid_ = false;
    vaoBound_ = false;
    return true;
}

void GlDevice::ReleasePresent() {
    if (present_.program) glDeleteProgram(present_.program);
    if (present_.vao) glDeleteVertexArrays(1, &present_.vao);
    present_ = PresentCopy{};
}

void GlDevice::CopyToWindow() {
    if (!context_.window->HasDefaultFramebuffer()) return;
    int width = 0, height = 0;
    context_.window->GetGlDrawableSize(&width, &height);
    if (width <= 0 || height <= 0) return;  // minimised: nothing to show
    if (width != windowWidth_ || height != windowHeight_) {
        // Mesa takes a window's new size when the window's framebuffer is
        // drawn into, not when it is blitted to: a clear makes it look.
        windowWidth_ = width;
        windowHeight_ = height;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT);
        BindBackBuffer();
    }
    const GLint w = GLint(BackBufferWidth()), h = GLint(BackBufferHeight());
    const bool sameSize = width == w && height == h;
    if (sameSize && DrawToWindow(width, height)) return;
    // Pixel for pixel when the sizes match; filtered when stretched. A blit
    // obeys the scissor test only (the device leaves it off between clears).
    const GLenum filter = sameSize ? GL_NEAREST : GL_LINEAR;
    const bool scissored = appliedValid_ && applied_.scissor;
    if (scissored) glDisable(GL_SCISSOR_TEST);
    glBlitNamedFramebuffer(backBuffer_.framebuffer, 0, 0, 0, w, h, 0, 0, width, height,
                           GL_COLOR_BUFFER_BIT, filter);
    if (scissored) glEnable(GL_SCISSOR_TEST);
}

}  // namespace gfx::gl
