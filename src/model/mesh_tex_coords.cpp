// The textured display's texture coordinates, read from the mesh's file on
// first use (the parser keeps none: no other display samples the textures).
#include <string>
#include <vector>

#include "model/model_mesh.h"
#include "model/printable_text.h"
#include "model/smd/texture_coordinates.h"
#include "platform/files.h"

bool ModelMesh::ReadyTexCoords(gfx::Device* device, const ReportSink& report) {
    if (texCoordBuffer) return true;
    if (texCoordsTried || !device || triangleCount <= 0) return false;
    texCoordsTried = true;

    std::vector<uint8_t> bytes;
    std::string error;
    smd::TextureCoordinates uv;
    const bool read =
        ReadFileBytesIn(sourceFolder, sourcePath.c_str(), file_limits::kSmdFile, &bytes, &error);
    if (!read || !smd::ReadTextureCoordinates(bytes, triangleCount, &uv)) {
        if (read)
            error = NameIn(sourceFolder, sourcePath.c_str()) + " no longer holds the mesh shown";
        report.NoteFormat("texture coordinates not read, the mesh is grey: %s",
                          PrintableText(error).c_str());
        return false;
    }
    const uint32_t bytesNeeded = uint32_t(vertexCount) * 2u * sizeof(float);
    if (gfx::Failed(device->CreateVertexBuffer(bytesNeeded, 0, 0, gfx::D3DPOOL_DEFAULT,
                                               &texCoordBuffer, nullptr)))
        return false;
    void* data = nullptr;
    if (gfx::Failed(texCoordBuffer->Lock(0, 0, &data, 0)) || !data) {
        gfx::SafeRelease(texCoordBuffer);
        return false;
    }
    // The file's v grows up the picture; the device's rows run down it.
    auto* out = static_cast<float*>(data);
    for (size_t c = 0; c < size_t(vertexCount); ++c) {
        out[2 * c] = uv.uv[2 * c];
        out[2 * c + 1] = 1.0f - uv.uv[2 * c + 1];
    }
    texCoordBuffer->Unlock();
    return true;
}
