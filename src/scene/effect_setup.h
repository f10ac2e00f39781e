// The reflection/refraction effect: the vertex declaration of SkinVertex,
// compiling the effect file, and the seven parameters uploaded every frame.
#pragma once

#include <string>

#include "math/matrix4.h"
#include "math/vector3.h"
#include "model/load_context.h"
#include "platform/gfx/core/device.h"

inline constexpr char kEffectPath[] = "./Shaders/ReflectionOrRefraction.fx";
inline constexpr char kTechniqueName[] = "TShader";

// POSITION0 float3 at 0, NORMAL0 float3 at 12, end marker.
extern const gfx::VertexElement kSkinVertexElements[3];

// Compiles the effect file at path. True with *effect and its "TShader"
// *technique; false with both null and *text holding the compiler's text
// (or, when it gave none, a sentence naming the file).
bool CompileEffectFile(gfx::Device* device, const char* path, gfx::Effect** effect,
                       gfx::EffectHandle* technique, std::string* text);

// The declaration, then the effect at path (read from the context's base
// folder) and its technique. Returns the declaration's failure code (nothing
// compiled), otherwise S_OK, also when compiling failed: effect and technique
// then stay null, one note names the file (its full path) and one "ERROR" box
// shows the compiler's text, both to the context's sink. Without the box
// (showBox false) the note holds the whole text instead. *failureText, when
// given, receives the compiler's text (empty after a good compile).
gfx::HRESULT CreateEffectObjects(gfx::Device* device, gfx::VertexDeclaration*& vertexDeclaration,
                                 gfx::Effect*& effect, gfx::EffectHandle& technique,
                                 const LoadContext& context, const char* path, bool showBox,
                                 std::string* failureText = nullptr);

// The values of one frame's upload.
struct EffectParameters {
    Matrix4 viewProjection;             // view × projection
    Matrix4 worldView;                  // world × view
    Matrix4 worldViewProjection;        // (world × view) × projection
    Matrix4 worldViewInverseTranspose;  // transpose of the inverse of world × view
    gfx::Vector4 viewPosition;          // camera position, w = 1
};

// The matrices computed fresh from the scene. A world × view without an
// inverse (never the case for this scene) gives the identity there.
EffectParameters ComputeEffectParameters(const Matrix4& world, const Matrix4& view,
                                         const Matrix4& projection, const Vector3& eye);

// Uploads, in order: "EnvironmentMap", "matViewProjection", "matWorldView",
// "matWorldViewProjection", "matWorldViewInverseTranspose", "vViewPosition", "fRef".
void UploadEffectParameters(gfx::Effect* effect, gfx::CubeTexture* environmentMap,
                            const Matrix4& world, const Matrix4& view, const Matrix4& projection,
                            const Vector3& eye, float reflectionFactor);
