// The scalable icon: the same flat triangles as SVG polygons.
#pragma once

#include <string>
#include <vector>

#include "iconmaker/depth_sort.h"

namespace iconmaker {

// The side of the SVG's view box, in its user units.
inline constexpr int kSvgSide = 256;

// An SVG document of the polygons (unit-square coordinates) drawn in their
// order, each filled and outlined in its colour so that neighbours leave no
// hairline gaps between them.
std::string SvgPicture(const std::vector<FlatPolygon>& polygons);

}  // namespace iconmaker
