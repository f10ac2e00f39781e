#include "iconmaker/svg_picture.h"

#include <cstdio>

namespace iconmaker {

std::string SvgPicture(const std::vector<FlatTriangle>& triangles, const std::vector<int>& order) {
    char line[256];
    std::snprintf(line, sizeof(line),
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                  "viewBox=\"0 0 %d %d\">\n<g stroke-width=\"0.5\" stroke-linejoin=\"round\">\n",
                  kSvgSide, kSvgSide, kSvgSide, kSvgSide);
    std::string svg = line;
    for (int t : order) {
        if (t < 0 || size_t(t) >= triangles.size()) continue;
        const FlatTriangle& flat = triangles[size_t(t)];
        float s = float(kSvgSide);
        std::snprintf(line, sizeof(line),
                      "<polygon points=\"%.2f,%.2f %.2f,%.2f %.2f,%.2f\" "
                      "fill=\"#%02x%02x%02x\" stroke=\"#%02x%02x%02x\"/>\n",
                      double(flat.x[0] * s), double(flat.y[0] * s), double(flat.x[1] * s),
                      double(flat.y[1] * s), double(flat.x[2] * s), double(flat.y[2] * s),
                      flat.colour.r, flat.colour.g, flat.colour.b, flat.colour.r, flat.colour.g,
                      flat.colour.b);
        svg += line;
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace iconmaker
