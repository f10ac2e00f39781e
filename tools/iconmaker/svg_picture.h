// The scalable icon: the same flat triangles as SVG polygons.
#pragma once

#include <string>
#include <vector>

#include "iconmaker/front_view.h"

namespace iconmaker {

// The side of the SVG's view box, in its user units.
inline constexpr int kSvgSide = 256;

// An SVG document of triangles[order[0]], triangles[order[1]], ... drawn in
// that order (DrawOrder's), each filled and outlined in its colour so that
// neighbours leave no hairline gaps between them. Indices outside triangles
// are passed over.
std::string SvgPicture(const std::vector<FlatTriangle>& triangles, const std::vector<int>& order);

}  // namespace iconmaker
