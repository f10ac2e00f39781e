// Quick looks at the generated assets without the program: a CPU z-buffer
// rendering of a character (Pudo_Red through the program's world matrix and
// start camera), and the six cube faces laid out as a cross.
#pragma once

#include <cstdint>
#include <vector>

#include "assetgen/animations.h"
#include "assetgen/character.h"
#include "assetgen/dds_writer.h"
#include "assetgen/image.h"

namespace assetgen {

// Where the preview camera looks and which keyframes it shows.
struct SheetLayout {
    // The model point the camera aims at and its distance from it; the
    // camera looks along model +Y (at the character's face) with a 45°
    // vertical field of view. Panels turn the model about the vertical line
    // through target.
    Vector3 target{0, 0, 100};
    float distance = 300.0f;
    int shownFrames[3] = {18, 5, 7};  // keyframe shown of clips 0, 1, 2
    float shownYaws[3] = {35.0f, 90.0f, 0.0f};
};

// Pudo_Red's layout: the program's world matrix and start camera, which
// take a model point (x, y, z) to the view point (−x, z − 100, y + 300).
SheetLayout PudoSheetLayout();

// A layout that frames the whole bind-pose mesh; clip keyframes as given.
SheetLayout FramedSheetLayout(const Character& character, const int shownFrames[3],
                              const float shownYaws[3]);

// Six 400 × 300 panels: front and side in the bind pose, a three-quarter
// view from behind, and one keyframe of each of the first three clips, over
// the environment as a sky box. Back faces are drawn magenta, so a wrong
// winding shows at once.
Image8 RenderCharacterSheet(const Character& character, const std::vector<Clip>& clips,
                            const SheetLayout& layout);

// The faces at the given mip level as a cross: +Y above, then −X, +Z, +X,
// −Z, then −Y below.
Image8 RenderCubeCross(const CubeMap& cube, int level);

std::vector<uint8_t> EncodePpm(const Image8& image);

}  // namespace assetgen
