// The SVG's drawing order: the triangles that show, cut where they pass
// through one another, sorted so that painting them back to front gives the
// depth-tested picture. A binary space partition does both: each polygon's
// plane splits the polygons on both of its sides, and the tree is walked far
// side first. (Sorting whole triangles cannot be right where two meshes
// intersect: there the nearer surface changes inside a triangle.)
#pragma once

#include <vector>

#include "iconmaker/front_view.h"

namespace iconmaker {

// A convex polygon in the picture plane (unit square), in its colour.
struct FlatPolygon {
    std::vector<float> x;
    std::vector<float> y;
    Rgb colour;
};

// Cutting stops past this many pieces for each triangle given (a sphere's
// worth of triangles cut by each other's planes makes about 2.5).
inline constexpr size_t kMaxPiecesPerTriangle = 32;

// triangles[t] for each t of shown (indices outside triangles are passed
// over), cut and ordered back to front. Empty when the pieces would pass
// kMaxPiecesPerTriangle for each triangle.
std::vector<FlatPolygon> BackToFront(const std::vector<FlatTriangle>& triangles,
                                     const std::vector<int>& shown);

}  // namespace iconmaker
