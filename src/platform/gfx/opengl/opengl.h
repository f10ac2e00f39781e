// Makes the program's device layer the OpenGL one: Direct3DCreate9 then
// builds an OpenGL device whose effects and fonts are the GL ones.
#pragma once

namespace gfx {

void UseOpenGL();

}  // namespace gfx
