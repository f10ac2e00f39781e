// iconmaker SIZE REFERENCE.smd OUT.png
// iconmaker --svg REFERENCE.smd OUT.svg
//
// Draws an SMD character's bind pose from the front, flat-shaded in its
// materials' colours on a transparent background: a SIZE-pixel square PNG,
// or the same triangles as a scalable SVG. The build makes the program's
// icons with it from the program's own character. The reference is read by
// the program's SMD parser, so a file the program refuses is refused here
// with the same line and reason.
//
// Exit status: 0 written, 1 the reference could not be read or drawn or the
// output could not be written (nothing is left at the output path then),
// 2 bad usage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "iconmaker/depth_sort.h"
#include "iconmaker/front_view.h"
#include "iconmaker/material_colours.h"
#include "iconmaker/raster.h"
#include "iconmaker/svg_picture.h"
#include "model/smd/smd_parser.h"
#include "platform/files.h"
#include "smd2gltf/glb_file.h"
#include "smd2gltf/png_writer.h"

namespace {

constexpr char kUsage[] =
    "usage: iconmaker SIZE REFERENCE.smd OUT.png\n"
    "       iconmaker --svg REFERENCE.smd OUT.svg\n";

// The SVG holds the triangles that show in a picture of this size.
constexpr int kSvgProbeSize = 512;

int Fail(const std::string& problem) {
    std::fprintf(stderr, "iconmaker: %s\n", problem.c_str());
    return 1;
}

bool ParseSize(const char* text, int* size) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0') return false;
    if (value < 1 || value > iconmaker::kMaxIconSize) return false;
    *size = int(value);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const bool svg = std::strcmp(argv[1], "--svg") == 0;
    int size = 0;
    if (!svg && !ParseSize(argv[1], &size)) {
        std::fprintf(stderr,
                     "iconmaker: the size must be a whole number from 1 to %d, not \"%s\"\n%s",
                     iconmaker::kMaxIconSize, argv[1], kUsage);
        return 2;
    }
    const std::string referencePath = argv[2];
    const std::string outputPath = argv[3];

    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(referencePath.c_str(), file_limits::kSmdFile, &bytes, &error))
        return Fail(error);
    smd::Reference reference;
    smd::ParseStatus status = smd::ParseReference(bytes, &reference);
    if (status.result != SmdLoadResult::Ok)
        return Fail(DisplayPath(referencePath.c_str()) + ":" + std::to_string(status.line) + ": " +
                    status.text);

    std::vector<std::string> notes;
    std::vector<iconmaker::Rgb> colours =
        iconmaker::MaterialColours(reference, referencePath, &notes);
    for (const std::string& note : notes) std::fprintf(stderr, "iconmaker: %s\n", note.c_str());
    std::vector<iconmaker::FlatTriangle> triangles = iconmaker::ProjectFront(reference, colours);
    if (triangles.empty())
        return Fail(DisplayPath(referencePath.c_str()) + ": no triangle faces the front");

    const int drawnSize = svg ? kSvgProbeSize : size;
    if (iconmaker::SampleWork(triangles, drawnSize) > iconmaker::kMaxSampleWork)
        return Fail(DisplayPath(referencePath.c_str()) + ": too many large triangles to draw");

    std::vector<uint8_t> output;
    if (svg) {
        std::vector<int> shown = iconmaker::ShownTriangles(triangles, kSvgProbeSize);
        if (shown.empty())
            return Fail(DisplayPath(referencePath.c_str()) +
                        ": no triangle is large enough to show");
        std::vector<iconmaker::FlatPolygon> polygons = iconmaker::BackToFront(triangles, shown);
        if (polygons.empty())
            return Fail(DisplayPath(referencePath.c_str()) +
                        ": the triangles cut each other into too many pieces for an SVG");
        std::string text = iconmaker::SvgPicture(polygons);
        output.assign(text.begin(), text.end());
    } else {
        gfx::image::RgbaImage picture = iconmaker::Rasterize(triangles, size);
        if (!picture.pixels)
            return Fail("no memory for a " + std::to_string(size) + "-pixel picture");
        if (!smd2gltf::EncodePng(picture, &output, &error, 9)) return Fail(error);
    }
    if (!smd2gltf::WriteFileWhole(outputPath, output, &error)) return Fail(error);
    return 0;
}
