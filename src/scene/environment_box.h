// The environment box: a cube of half-size 100 around the origin, drawn in
// effect pass 0 with the cube map that the model also reflects or refracts.
#pragma once

#include <cstdint>

#include "math/vector3.h"
#include "platform/gfx/core/device.h"
#include "platform/gfx/core/texture_file.h"

inline constexpr int kBoxVertexCount = 24;
inline constexpr int kBoxIndexCount = 36;
inline constexpr int kBoxTriangleCount = 12;
inline constexpr uint32_t kBoxVertexStride = 24;  // one SkinVertex
inline constexpr char kEnvironmentMapPath[] = "./Textures/Snow.dds";

// Four vertices per face, faces in the order z = −100, x = +100, z = +100,
// x = −100, y = +100, y = −100; within a face, seen from outside: top-left,
// top-right, bottom-left, bottom-right.
extern const Vector3 kBoxPositions[kBoxVertexCount];
// Per face b = 4f: b, b+1, b+2 and b+1, b+3, b+2 (clockwise from outside).
extern const uint16_t kBoxIndices[kBoxIndexCount];

// The box's device objects, owned: Release (called by the owner before the
// device goes) releases them.
struct EnvironmentBox {
    gfx::VertexBuffer* vertexBuffer = nullptr;
    gfx::IndexBuffer* indexBuffer = nullptr;
    gfx::CubeTexture* environmentMap = nullptr;

    // 24 SkinVertex records with only the positions written (normals zero).
    gfx::HRESULT CreateBoxVertexBuffer(gfx::Device* device);
    // 36 16-bit indices.
    gfx::HRESULT CreateBoxIndexBuffer(gfx::Device* device);
    // Vertex buffer, index buffer, then the cube map from the file at
    // cubeMapPath (a path to open as it is); stops at the first failure and
    // leaves what was made in the fields. prepared, when given, is that file
    // already read with preparedWith (Device::CreateCubeTextureFromPrepared).
    gfx::HRESULT Create(gfx::Device* device, const char* cubeMapPath,
                        const gfx::TextureFile* prepared = nullptr,
                        const gfx::TextureSupport* preparedWith = nullptr);
    // Declaration, stream 0, indices, and one draw of 12 triangles.
    void Draw(gfx::Device* device, gfx::VertexDeclaration* declaration) const;
    // Index buffer, vertex buffer, cube map: each released if present, then cleared.
    void Release();
};
