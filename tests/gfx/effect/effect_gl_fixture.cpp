#include "effect_gl_fixture.h"

#include <cmath>

#include "platform/gfx/effect/effect.h"
#include "scene/environment_box.h"
#include "support/dds_files.h"

namespace effecttest {

using namespace gfx;

Effect* EffectGlTest::CreateEffect(const std::string& path, std::string* errors) {
    Effect* made = nullptr;
    Buffer* messages = nullptr;
    D3DXCreateEffectFromFileA(device, path.c_str(), nullptr, nullptr, 1, nullptr, &made, &messages);
    if (errors) errors->clear();
    if (messages) {
        if (errors) *errors = static_cast<const char*>(messages->GetBufferPointer());
        messages->Release();
    }
    return made;
}

CubeTexture* EffectGlTest::CreateColorCube() {
    std::vector<std::vector<Rgba>> faces;
    for (const Rgb& c : kFaceColors)
        faces.push_back({{uint8_t(c.r), uint8_t(c.g), uint8_t(c.b), 255}});
    std::string path = folder.Write("colors.dds", SolidDds(DdsFormat::A8R8G8B8, 4, 4, 1, faces));
    CubeTexture* cube = nullptr;
    EXPECT_EQ(D3DXCreateCubeTextureFromFileA(device, path.c_str(), &cube), S_OK);
    return cube;
}

int EffectGlTest::FaceAt(int x, int y) const {
    Rgb pixel = picture.At(x, y);
    int best = -1;
    int bestDistance = 1 << 30;
    for (int face = 0; face < 6; ++face) {
        int dr = pixel.r - kFaceColors[face].r;
        int dg = pixel.g - kFaceColors[face].g;
        int db = pixel.b - kFaceColors[face].b;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = face;
        }
    }
    // Farther than a tint allows: no face at all.
    return bestDistance < 90 * 90 ? best : -1;
}

std::vector<SkinVertex> BoxVertices(float normalFill) {
    std::vector<SkinVertex> vertices;
    for (const Vector3& corner : kBoxPositions)
        vertices.push_back({corner, {normalFill, normalFill, normalFill}});
    return vertices;
}

std::vector<uint16_t> BoxIndices() { return {std::begin(kBoxIndices), std::end(kBoxIndices)}; }

void Sphere(const Vector3& centre, std::vector<SkinVertex>* vertices,
            std::vector<uint16_t>* indices) {
    const int rings = 24, segments = 32;
    const float pi = 3.14159265f;
    for (int ring = 0; ring <= rings; ++ring) {
        float theta = pi * ring / rings;
        for (int segment = 0; segment <= segments; ++segment) {
            float phi = 2 * pi * segment / segments;
            Vector3 normal(std::sin(theta) * std::cos(phi), std::cos(theta),
                           std::sin(theta) * std::sin(phi));
            vertices->push_back({centre + normal, normal});
        }
    }
    for (int ring = 0; ring < rings; ++ring) {
        for (int segment = 0; segment < segments; ++segment) {
            auto at = [&](int r, int s) { return static_cast<uint16_t>(r * (segments + 1) + s); };
            for (uint16_t index :
                 {at(ring, segment), at(ring + 1, segment), at(ring, segment + 1),
                  at(ring, segment + 1), at(ring + 1, segment), at(ring + 1, segment + 1)}) {
                indices->push_back(index);
            }
        }
    }
}

}  // namespace effecttest
