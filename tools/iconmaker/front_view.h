// The character as its icon shows it: the bind pose seen from the front, as
// the program first shows it (SMD's Z-up space turned by the world matrix of
// the program's default view, the camera looking along +Z), projected
// orthographically and framed into the unit square, each triangle that faces
// the camera flat-shaded in its material's colour.
#pragma once

#include <cstdint>
#include <vector>

#include "model/smd/parsed_smd.h"

namespace iconmaker {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
};

// One triangle in the picture plane: x to the right, y down, both in 0..1
// for the framed character; depth grows away from the camera.
struct FlatTriangle {
    float x[3] = {};
    float y[3] = {};
    float depth[3] = {};
    Rgb colour;
};

// The share of the square left empty on each side around the character.
inline constexpr float kIconMargin = 1.0f / 16.0f;

// Each front-facing triangle of reference in its bind pose, coloured by
// materialColours[its material index] (grey past the end) under a light from
// the upper left front, and framed: the larger side of the triangles' box
// spans the square less the margins, the box centred. Empty when no
// triangle faces the camera or the box has no size.
std::vector<FlatTriangle> ProjectFront(const smd::Reference& reference,
                                       const std::vector<Rgb>& materialColours);

}  // namespace iconmaker
