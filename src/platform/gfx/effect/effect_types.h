// Kinds of values an effect's parameters hold, shared by the readers of the
// effect file and the reflection of its compiled stages.
#pragma once

namespace gfx::effect {

enum class ValueKind { Float, Vector, Matrix, Texture, Other };
enum class TextureDim { None, Tex2D, Tex3D, Cube };

}  // namespace gfx::effect
