// assetgen: writes the generated assets into a run folder.
//
//   Model/SMD/Pudo_Red/       the character the program shows: Ref_Red.smd,
//                             Ani_Red(Attack).smd, Ani_Red(Run).smd,
//                             Ani_Red(Stun).smd and four BMP textures
//   Model/SMD/Lantern Squid/  a second character, built unlike the first, for
//                             tests that load any character: Ref Squid.smd,
//                             Ani Squid (Swim).smd, Ani Squid (Strike).smd,
//                             Ani Squid (Look Around).smd (which holds only
//                             the upper 13 of the 59 bones) and six textures
//                             in BMP, TGA and PNG
//   Model/SMD/Puddle Worm/    a third character, written as today's most
//                             used exporter writes files (weight links, node
//                             ids with a gap, keyframes from 1, material
//                             names without extension): PuddleWorm.smd,
//                             anims/crawl.smd, WormSkin.png and WormEye.tga
//   Textures/Snow.dds         the snow cube map
//
//   assetgen --out DIR        all of the above below DIR
//   assetgen --preview DIR    character.ppm, squid.ppm and cubemap.ppm, to
//                             look at, and a summary of each character
//
// Both may be given. The output depends on nothing but this program, so
// every run writes the same bytes.
#include <cstdio>
#include <cstring>
#include <string>

#include "assetgen/animations.h"
#include "assetgen/character.h"
#include "assetgen/environment.h"
#include "assetgen/preview.h"
#include "assetgen/smd_writer.h"
#include "assetgen/squid.h"
#include "assetgen/squid_clips.h"
#include "assetgen/texture_file.h"
#include "assetgen/worm.h"

namespace {

using namespace assetgen;

constexpr int kCubeSize = 512;

// One character's files: DIR/Model/SMD/folder/reference, a file
// clipPrefix + clip name + clipSuffix per clip, and one texture per
// material, named by its texture file.
struct CharacterFiles {
    const char* folder;
    const char* reference;
    const char* clipPrefix;
    const char* clipSuffix;
    Character character;
    std::vector<Clip> clips;
    Image8 (*texture)(const Character& character, int material);
};

bool WriteText(const std::string& path, const std::string& text, std::string* error) {
    return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

bool WriteCharacter(const std::string& outDir, const CharacterFiles& files, std::string* error) {
    const std::string model = outDir + "/Model/SMD/" + files.folder + "/";
    if (!WriteText(model + files.reference, ReferenceSmd(files.character), error)) return false;
    for (const Clip& clip : files.clips)
        if (!WriteText(model + files.clipPrefix + clip.name + files.clipSuffix,
                       AnimationSmd(files.character, clip), error))
            return false;
    for (size_t m = 0; m < files.character.materials.size(); ++m) {
        const std::string& name = files.character.materials[m].textureFile;
        std::vector<uint8_t> bytes =
            EncodeTextureFile(name, files.texture(files.character, static_cast<int>(m)));
        if (bytes.empty()) {
            *error = "cannot encode the texture " + name;
            return false;
        }
        if (!WriteBytes(model + name, bytes, error)) return false;
    }
    return true;
}

void PrintSummary(const CharacterFiles& files) {
    std::printf("%s: %zu triangles, %zu bones, %zu materials;", files.folder,
                files.character.triangles.size(), files.character.bones.size(),
                files.character.materials.size());
    for (const Clip& clip : files.clips)
        std::printf(" %s: %zu keyframes of %zu bones, largest step %.1f deg;", clip.name.c_str(),
                    clip.locals.size(), clip.locals.empty() ? size_t(0) : clip.locals[0].size(),
                    static_cast<double>(LargestKeyframeStepDegrees(files.character, clip)));
    std::printf("\n");
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

    CharacterFiles pudo{"Pudo_Red",
                        "Ref_Red.smd",
                        "Ani_Red(",
                        ").smd",
                        BuildCharacter(),
                        {},
                        [](const Character& c, int m) {
                            return MaterialTexture(c.materials[static_cast<size_t>(m)], m);
                        }};
    pudo.clips = BuildClips(pudo.character);
    CharacterFiles squid{"Lantern Squid", "Ref Squid.smd", "Ani Squid (", ").smd", BuildSquid(), {},
                         &SquidTexture};
    squid.clips = BuildSquidClips(squid.character);
    CharacterFiles worm{"Puddle Worm", "PuddleWorm.smd", "anims/", ".smd", BuildWorm(), {},
                        &WormTexture};
    worm.clips = BuildWormClips(worm.character);
    const CubeMap cube = BuildSnowCubeMap(kCubeSize);
    std::string error;
    bool ok = true;
    if (!outDir.empty()) {
        ok = WriteCharacter(outDir, pudo, &error) && WriteCharacter(outDir, squid, &error) &&
             WriteCharacter(outDir, worm, &error) &&
             WriteBytes(outDir + "/Textures/Snow.dds", EncodeCubeDds(cube), &error);
    }
    if (ok && !previewDir.empty()) {
        const int squidFrames[3] = {8, 17, 4};
        const float squidYaws[3] = {20.0f, 90.0f, 0.0f};
        ok = WriteBytes(
                 previewDir + "/character.ppm",
                 EncodePpm(RenderCharacterSheet(pudo.character, pudo.clips, PudoSheetLayout())),
                 &error) &&
             WriteBytes(previewDir + "/squid.ppm",
                        EncodePpm(RenderCharacterSheet(
                            squid.character, squid.clips,
                            FramedSheetLayout(squid.character, squidFrames, squidYaws))),
                        &error) &&
             WriteBytes(previewDir + "/cubemap.ppm", EncodePpm(RenderCubeCross(cube, 1)), &error);
        PrintSummary(pudo);
        PrintSummary(squid);
        PrintSummary(worm);
    }
    if (!ok) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
