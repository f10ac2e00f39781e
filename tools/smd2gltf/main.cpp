// smd2gltf REFERENCE.smd [CLIP.smd]... -o OUT.glb [--fps N] [--scale S]
//
// Turns an SMD character (a reference file and any number of clip files)
// into one binary glTF 2.0 file with everything embedded: the mesh (one
// primitive per material), the skin, one animation per clip and the
// material textures as PNG. The files are read by the program's own SMD
// parser, so a file the program refuses is refused here with the same
// message, file and line.
//
// The JSON is written with nlohmann-json, which the project already uses,
// and the .glb container by a writer of our own (glb_file.cpp): the
// container is a 12-byte header and two padded chunks. tinygltf (Debian's
// 2.7.0) was the alternative: it brings a second, bundled copy of the same
// JSON library and stb_image for pictures, which would decode and encode
// our textures beside the program's own readers and libpng, and it writes
// to a path itself, while the export must hand whole bytes to a write that
// replaces the file by renaming.
//
// Exit status: 0 written, 1 an input could not be read or converted or the
// output could not be written (nothing is left at the output path then),
// 2 bad usage.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "smd2gltf/smd_export.h"

namespace {

constexpr char kUsage[] =
    "usage: smd2gltf REFERENCE.smd [CLIP.smd]... -o OUT.glb [--fps N] [--scale S]\n";

constexpr char kHelp[] =
    "Writes an SMD character as one binary glTF 2.0 file: the mesh with its\n"
    "materials and textures (as PNG), the skin, and each CLIP.smd as an\n"
    "animation named after its file. Nothing outside OUT.glb is needed.\n"
    "\n"
    "  -o OUT.glb    the file to write (replaced whole, or left as it was)\n"
    "  --fps N       keyframes per second of the clips (default 30)\n"
    "  --scale S     metres per SMD unit (default 0.0254: 1 unit = 1 inch)\n"
    "  --help        this text\n"
    "\n"
    "SMD space (right-handed, Z up, the face towards -Y) becomes glTF's\n"
    "(right-handed, Y up, the face towards +Z, metres).\n"
    "\n"
    "Exit status: 0 written, 1 a file could not be read, converted or\n"
    "written (with the file, the line and the reason on stderr), 2 bad usage.\n";

int BadUsage(const std::string& problem) {
    std::fprintf(stderr, "smd2gltf: %s\n%s", problem.c_str(), kUsage);
    return 2;
}

// A finite number above 0 and at most limit.
bool ParsePositive(const char* text, double limit, double* value) {
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(parsed) || parsed <= 0 ||
        parsed > limit)
        return false;
    *value = parsed;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    smd2gltf::ExportOptions options;
    std::vector<std::string> files;
    bool fpsGiven = false, scaleGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            return 0;
        }
        const bool takesValue = argument == "-o" || argument == "--fps" || argument == "--scale";
        if (takesValue && i + 1 >= argc) return BadUsage(argument + " needs a value");
        if (argument == "-o") {
            if (!options.output.empty()) return BadUsage("-o given twice");
            options.output = argv[++i];
            if (options.output.empty()) return BadUsage("-o needs a file name");
        } else if (argument == "--fps") {
            if (fpsGiven) return BadUsage("--fps given twice");
            if (!ParsePositive(argv[++i], 1000.0, &options.framesPerSecond))
                return BadUsage("--fps needs a number above 0, at most 1000");
            fpsGiven = true;
        } else if (argument == "--scale") {
            if (scaleGiven) return BadUsage("--scale given twice");
            if (!ParsePositive(argv[++i], 1e6, &options.metresPerUnit))
                return BadUsage("--scale needs a number above 0, at most 1000000");
            scaleGiven = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return BadUsage("unknown option " + argument);
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty()) return BadUsage("no reference file given");
    if (options.output.empty()) return BadUsage("no output file given (-o OUT.glb)");
    options.reference = files[0];
    options.clips.assign(files.begin() + 1, files.end());

    smd2gltf::ExportResult result = smd2gltf::ExportGlb(options);
    for (const std::string& note : result.notes)
        std::fprintf(stderr, "smd2gltf: %s\n", note.c_str());
    if (!result.ok) {
        std::fprintf(stderr, "smd2gltf: %s\n", result.error.c_str());
        return 1;
    }
    return 0;
}
