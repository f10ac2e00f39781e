#include "platform/gfx/opengl/opengl.h"

#if RR_HAVE_GFX_GL
#include "platform/gfx/gl/gl_backend.h"
#endif
#if RR_HAVE_GFX_EFFECT
#include "platform/gfx/effect/effect.h"
#endif
#if RR_HAVE_GFX_FONT
#include "platform/gfx/font/font.h"
#endif

namespace gfx {

void UseOpenGL() {
#if RR_HAVE_GFX_GL
    gl::Install();
#endif
#if RR_HAVE_GFX_EFFECT
    effect::Install();
#endif
#if RR_HAVE_GFX_FONT
    font::Install();
#endif
}

}  // namespace gfx
