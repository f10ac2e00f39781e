#include "platform/gfx/opengl/opengl.h"

#include "platform/gfx/effect/effect.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/gl/gl_backend.h"

namespace gfx {

void UseOpenGL() {
    gl::Install();
    effect::Install();
    font::Install();
}

}  // namespace gfx
