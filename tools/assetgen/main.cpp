// assetgen: writes the character "Pudo_Red" (reference and animation SMD
// files with their BMP textures) and the snow cube map into a run folder.
//
//   assetgen --out DIR        Model/SMD/Pudo_Red/*.smd, *.bmp and Textures/Snow.dds
//   assetgen --preview DIR    character.ppm and cubemap.ppm, to look at
//
// Both may be given. The output depends on nothing but this program, so
// every run writes the same bytes.
#include <cstdio>
#include <cstring>
#include <string>

#include "assetgen/animations.h"
#include "assetgen/bmp_writer.h"
#include "assetgen/character.h"
#include "assetgen/environment.h"
#include "assetgen/preview.h"
#include "assetgen/smd_writer.h"

namespace {

using namespace assetgen;

constexpr int kCubeSize = 512;

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
    return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

int Usage() {
    std::fprintf(stderr, "usage: assetgen [--out DIR] [--preview DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outDir, previewDir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            outDir = argv[++i];
        else if (std::strcmp(argv[i], "--preview") == 0 && i + 1 < argc)
            previewDir = argv[++i];
        else
            return Usage();
    }
    if (outDir.empty() && previewDir.empty()) return Usage();

    const Character character = BuildCharacter();
    const std::vector<Clip> clips = BuildClips(character);
    const CubeMap cube = BuildSnowCubeMap(kCubeSize);
    std::string error;
    bool ok = true;
    if (!outDir.empty()) {
        const std::string model = outDir + "/Model/SMD/Pudo_Red/";
        ok = ok && WriteText(model + "Ref_Red.smd", ReferenceSmd(character), &error);
        for (const Clip& clip : clips)
            ok = ok && WriteText(model + "Ani_Red(" + clip.name + ").smd", AnimationSmd(character, clip), &error);
        for (size_t m = 0; m < character.materials.size(); ++m)
            ok = ok && WriteBytes(model + character.materials[m].textureFile,
                                  EncodeBmp24(MaterialTexture(character.materials[m], static_cast<int>(m))), &error);
        ok = ok && WriteBytes(outDir + "/Textures/Snow.dds", EncodeCubeDds(cube), &error);
    }
    if (ok && !previewDir.empty()) {
        ok = WriteBytes(previewDir + "/character.ppm", EncodePpm(RenderCharacterSheet(character, clips)), &error) &&
             WriteBytes(previewDir + "/cubemap.ppm", EncodePpm(RenderCubeCross(cube, 1)), &error);
        std::printf("%zu triangles, %zu bones;", character.triangles.size(), character.bones.size());
        for (const Clip& clip : clips)
            std::printf(" %s: %zu keyframes, largest step %.1f deg;", clip.name.c_str(), clip.locals.size(),
                        static_cast<double>(LargestKeyframeStepDegrees(character, clip)));
        std::printf("\n");
    }
    if (!ok) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
