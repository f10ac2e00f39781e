#include "iconmaker/svg_picture.h"

#include <cstdio>

namespace iconmaker {

std::string SvgPicture(const std::vector<FlatPolygon>& polygons) {
    char text[256];
    std::snprintf(text, sizeof(text),
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                  "viewBox=\"0 0 %d %d\">\n<g stroke-width=\"0.5\" stroke-linejoin=\"round\">\n",
                  kSvgSide, kSvgSide, kSvgSide, kSvgSide);
    std::string svg = text;
    const double side = kSvgSide;
    for (const FlatPolygon& polygon : polygons) {
        svg += "<polygon points=\"";
        // A tenth of a unit: a tenth of a pixel at 256 pixels.
        for (size_t k = 0; k < polygon.x.size() && k < polygon.y.size(); ++k) {
            std::snprintf(text, sizeof(text), "%s%.1f,%.1f", k ? " " : "",
                          double(polygon.x[k]) * side, double(polygon.y[k]) * side);
            svg += text;
        }
        const Rgb& c = polygon.colour;
        std::snprintf(text, sizeof(text), "\" fill=\"#%02x%02x%02x\" stroke=\"#%02x%02x%02x\"/>\n",
                      c.r, c.g, c.b, c.r, c.g, c.b);
        svg += text;
    }
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace iconmaker
