#include "scene/environment_box.h"

#include <cstring>

#include "model/skin_vertex.h"

const Vector3 kBoxPositions[kBoxVertexCount] = {
    // z = −100
    {-100, 100, -100},
    {100, 100, -100},
    {-100, -100, -100},
    {100, -100, -100},
    // x = +100
    {100, 100, -100},
    {100, 100, 100},
    {100, -100, -100},
    {100, -100, 100},
    // z = +100
    {100, 100, 100},
    {-100, 100, 100},
    {100, -100, 100},
    {-100, -100, 100},
    // x = −100
    {-100, 100, 100},
    {-100, 100, -100},
    {-100, -100, 100},
    {-100, -100, -100},
    // y = +100 ("top" is +z)
    {-100, 100, 100},
    {100, 100, 100},
    {-100, 100, -100},
    {100, 100, -100},
    // y = −100 ("top" is −z)
    {-100, -100, -100},
    {100, -100, -100},
    {-100, -100, 100},
    {100, -100, 100},
};

const uint16_t kBoxIndices[kBoxIndexCount] = {
    0,  1,  2,  1,  3,  2,  4,  5,  6,  5,  7,  6,  8,  9,  10, 9,  11, 10,
    12, 13, 14, 13, 15, 14, 16, 17, 18, 17, 19, 18, 20, 21, 22, 21, 23, 22,
};

static_assert(sizeof(SkinVertex) == kBoxVertexStride);

gfx::HRESULT EnvironmentBox::CreateBoxVertexBuffer(gfx::Device* device) {
    const uint32_t length = kBoxVertexCount * sizeof(SkinVertex);
    if (gfx::Failed(
            device->CreateVertexBuffer(length, 0, 0, gfx::D3DPOOL_DEFAULT, &vertexBuffer, nullptr)))
        return gfx::E_FAIL;
    void* data = nullptr;
    if (gfx::Failed(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return gfx::E_FAIL;
    // Whole records are written with zero normals: pass 0 never reads them,
    // and a fresh device buffer would otherwise hold whatever was there.
    SkinVertex* vertices = static_cast<SkinVertex*>(data);
    for (int i = 0; i < kBoxVertexCount; ++i) {
        SkinVertex vertex{};
        vertex.position = kBoxPositions[i];
        std::memcpy(&vertices[i], &vertex, sizeof vertex);
    }
    vertexBuffer->Unlock();
    return gfx::S_OK;
}

gfx::HRESULT EnvironmentBox::CreateBoxIndexBuffer(gfx::Device* device) {
    const uint32_t length = kBoxIndexCount * sizeof(uint16_t);
    if (gfx::Failed(device->CreateIndexBuffer(length, 0, gfx::D3DFMT_INDEX16, gfx::D3DPOOL_DEFAULT,
                                              &indexBuffer, nullptr)))
        return gfx::E_FAIL;
    void* data = nullptr;
    if (gfx::Failed(indexBuffer->Lock(0, 0, &data, 0)) || !data) return gfx::E_FAIL;
    std::memcpy(data, kBoxIndices, sizeof kBoxIndices);
    indexBuffer->Unlock();
    return gfx::S_OK;
}

gfx::HRESULT EnvironmentBox::Create(gfx::Device* device, const char* cubeMapPath,
                                    const gfx::TextureFile* prepared,
                                    const gfx::TextureSupport* preparedWith) {
    if (gfx::Failed(CreateBoxVertexBuffer(device))) return gfx::E_FAIL;
    if (gfx::Failed(CreateBoxIndexBuffer(device))) return gfx::E_FAIL;
    const gfx::HRESULT made =
        prepared && preparedWith
            ? device->CreateCubeTextureFromPrepared(cubeMapPath, *prepared, *preparedWith,
                                                    &environmentMap)
            : gfx::D3DXCreateCubeTextureFromFileA(device, cubeMapPath, &environmentMap);
    return gfx::Failed(made) ? gfx::E_FAIL : gfx::S_OK;
}

void EnvironmentBox::Draw(gfx::Device* device, gfx::VertexDeclaration* declaration) const {
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, vertexBuffer, 0, kBoxVertexStride);
    device->SetIndices(indexBuffer);
    device->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 0, kBoxVertexCount, 0,
                                 kBoxTriangleCount);
}

void EnvironmentBox::Release() {
    gfx::SafeRelease(indexBuffer);
    gfx::SafeRelease(vertexBuffer);
    gfx::SafeRelease(environmentMap);
}
