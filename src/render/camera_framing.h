// Where the camera starts for a character given on the command line, and
// how far one move key takes it: the character's size decides both, since
// characters come in any size and at any place.
#pragma once

#include "math/matrix4.h"
#include "math/vector3.h"

// The share of the picture the character may fill: it stays clear of the
// edges, and of the HUD's seven lines over the top quarter (y 0..150 of 600).
inline constexpr float kFramingMargin = 0.9f;
inline constexpr float kFramingTop = 0.5f;  // normalised device y of the HUD's bottom edge

struct CameraFraming {
    Vector3 position;
    float moveUnits = 0.0f;
};

// For a camera with the construction axes (looking along +Z, up +Y) and
// this perspective projection: a position in front of the world-space box
// from which the whole box is in view, below the HUD and clear of the
// edges; and a move step of the box's largest side / 12.8 (10 units for a
// character of the program's own size). Never nearer to the box than twice
// the near plane.
// top is the normalised device y the box stays under: kFramingTop below
// the HUD, 1 for a picture without one (the box then sits in the middle).
CameraFraming FrameBox(const Vector3& boxMin, const Vector3& boxMax, const Matrix4& projection,
                       float top = kFramingTop);
