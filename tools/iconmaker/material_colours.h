// Each material's colour for the icon: the mean colour of its texture (the
// file the material names, beside the reference), since the flat-shaded
// icon has no texture coordinates to sample at.
#pragma once

#include <string>
#include <vector>

#include "iconmaker/front_view.h"
#include "model/smd/parsed_smd.h"
#include "platform/gfx/image/image.h"

namespace iconmaker {

// The mean of the pixels' colours, each weighted by its alpha; grey for a
// picture with no opaque pixel.
Rgb MeanColour(const gfx::image::RgbaImage& picture);

// One colour per entry of reference's material table. A texture that cannot
// be read or decoded gives grey and a line in notes.
std::vector<Rgb> MaterialColours(const smd::Reference& reference, const std::string& referencePath,
                                 std::vector<std::string>* notes);

}  // namespace iconmaker
