// The lines and points drawn over the model: its skeleton (bones parent to
// child, joints), its vertex normals and its bounding box, built on the
// processor in world space from the pose the model was last drawn in.
#pragma once

#include <cstdint>
#include <vector>

#include "math/matrix4.h"
#include "math/vector3.h"
#include "model/skin_vertex.h"

struct SkinnedModel;

// One corner of a line or one point: world position and ARGB colour (the
// device's D3DCOLOR, bytes B, G, R, A).
struct OverlayVertex {
    Vector3 position;
    uint32_t colour = 0;
};
static_assert(sizeof(OverlayVertex) == 16, "OverlayVertex must be four packed values");

inline constexpr uint32_t kBoneColour = 0xFFFFD000u;    // amber
inline constexpr uint32_t kJointColour = 0xFFFF2020u;   // red
inline constexpr uint32_t kNormalColour = 0xFF20FF40u;  // green
inline constexpr uint32_t kBoxColour = 0xFFFFFFFFu;     // white

// This frame's overlay, kept from frame to frame for the vectors' capacity
// (steady frames allocate nothing). Lines are vertex pairs.
struct OverlayGeometry {
    std::vector<OverlayVertex> depthLines;   // normals and box: hidden behind the model
    std::vector<OverlayVertex> alwaysLines;  // bones and joint marks: always in view
    std::vector<OverlayVertex> joints;       // one point per joint
    std::vector<SkinVertex> corners;         // one mesh's skinned corners, scratch

    void Clear();
};

// Every mesh's bones: a line from each bone's parent joint to its own, a
// point at each joint and a small three-line cross there (a point is one
// pixel wide), the cross as wide as kJointCrossShare of the joints' box
// diagonal. A joint is the translation of its bone's absolute matrix, moved
// by world.
inline constexpr float kJointCrossShare = 0.02f;
void AddSkeleton(const SkinnedModel& model, const Matrix4& world, OverlayGeometry* out);

// Every drawable mesh skinned with its bones' current matrices into
// out->corners, one at a time; for each, normals adds a line from each
// corner along its normal, normalLength model units long, and the corners
// widen the world box (*low, *high). False when no corner was found (the
// box is then untouched).
bool AddNormalsAndBounds(const SkinnedModel& model, const Matrix4& world, bool normals,
                         float normalLength, OverlayGeometry* out, Vector3* low, Vector3* high);

// The twelve edges of the world box [low, high].
void AddBox(const Vector3& low, const Vector3& high, uint32_t colour,
            std::vector<OverlayVertex>* lines);
