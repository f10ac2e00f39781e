// The one vertex layout of the system: position then normal, 24 bytes.
// The model's skinned vertex buffers and the environment box both use it.
#pragma once

#include "math/vector3.h"

struct SkinVertex {
    Vector3 position;
    Vector3 normal;
};

static_assert(sizeof(SkinVertex) == 24, "SkinVertex must be six packed floats");
