#include "iconmaker/front_view.h"

#include <algorithm>
#include <cmath>

#include "math/matrix4.h"
#include "math/vector3.h"

namespace iconmaker {

namespace {

constexpr float kPi = 3.1415927f;
constexpr Rgb kNoMaterial{160, 160, 160};

// The share of light that reaches faces turned away from the lamp.
constexpr float kAmbient = 0.35f;

Rgb Shade(Rgb colour, float light) {
    auto channel = [light](uint8_t value) {
        return uint8_t(std::clamp(std::lround(float(value) * light), 0L, 255L));
    };
    return {channel(colour.r), channel(colour.g), channel(colour.b)};
}

}  // namespace

std::vector<FlatTriangle> ProjectFront(const smd::Reference& reference,
                                       const std::vector<Rgb>& materialColours) {
    // The program's default world matrix: pitch −π/2 stands the Z-up model
    // upright, yaw π turns its face (towards −Y in the file) to the camera.
    const Matrix4 world = MatrixRotationYawPitchRoll(kPi, -kPi / 2.0f, 0.0f);
    const Vector3 toLight = Vec3Normalize(Vector3(-0.45f, 0.6f, -0.65f));

    std::vector<FlatTriangle> triangles;
    float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int t = 0; t < reference.triangleCount; ++t) {
        const MeshTriangle& triangle = reference.triangles[t];
        Vector3 corners[3];
        Vector3 vertexNormals;
        for (int k = 0; k < 3; ++k) {
            int bone = triangle.boneIndices[k];
            Matrix4 toWorld = world;
            if (bone >= 0 && bone < reference.boneCount)
                toWorld = reference.bones[bone].absoluteMatrix * world;
            corners[k] = Vec3TransformCoord(triangle.vertices[k].position, toWorld);
            vertexNormals += Vec3TransformNormal(triangle.vertices[k].normal, toWorld);
        }
        // The face's own normal, on the side its vertex normals point to
        // (the file's winding is not trusted for that).
        Vector3 normal = Vec3Normalize(Vec3Cross(corners[1] - corners[0], corners[2] - corners[0]));
        if (Vec3Dot(normal, vertexNormals) < 0.0f) normal = normal * -1.0f;
        // The camera looks along +Z: a face towards it has a normal with z < 0.
        if (!(normal.z < 0.0f)) continue;

        FlatTriangle flat;
        bool finite = true;
        for (int k = 0; k < 3; ++k) {
            flat.x[k] = corners[k].x;
            flat.y[k] = -corners[k].y;
            flat.depth[k] = corners[k].z;
            finite = finite && std::isfinite(flat.x[k]) && std::isfinite(flat.y[k]) &&
                     std::isfinite(flat.depth[k]);
        }
        if (!finite) continue;
        for (int k = 0; k < 3; ++k) {
            minX = std::min(minX, flat.x[k]);
            maxX = std::max(maxX, flat.x[k]);
            minY = std::min(minY, flat.y[k]);
            maxY = std::max(maxY, flat.y[k]);
        }
        int material = triangle.materialIndex;
        Rgb colour = material >= 0 && size_t(material) < materialColours.size()
                         ? materialColours[size_t(material)]
                         : kNoMaterial;
        float diffuse = std::max(0.0f, Vec3Dot(normal, toLight));
        flat.colour = Shade(colour, kAmbient + (1.0f - kAmbient) * diffuse);
        triangles.push_back(flat);
    }

    float extent = std::max(maxX - minX, maxY - minY);
    if (triangles.empty() || !(extent > 0.0f) || !std::isfinite(extent)) return {};
    float scale = (1.0f - 2.0f * kIconMargin) / extent;
    float centreX = 0.5f * (minX + maxX), centreY = 0.5f * (minY + maxY);
    for (FlatTriangle& flat : triangles) {
        for (int k = 0; k < 3; ++k) {
            flat.x[k] = 0.5f + (flat.x[k] - centreX) * scale;
            flat.y[k] = 0.5f + (flat.y[k] - centreY) * scale;
        }
    }
    return triangles;
}

}  // namespace iconmaker
