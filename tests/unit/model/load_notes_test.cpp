// What the loaders note: the file (with '/' separators, relative to the base
// folder when it was read from one) and the reason for every refusal, and
// what they tolerate but an author should know.
#include <functional>

#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kReference =
    "version 1\n" + kTwoNodes +
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n"
    "triangles\nskin.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\nend\n";

// A clip of the given bones, each the child of the one before.
// A material name that sets the terminal's title if printed as it is.
const std::string kEscapeMaterial =
    "version 1\n" + kTwoNodes +
    "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n"
    "triangles\nskin\x1b]0;title\x07\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n"
    "0 0 1 0 0 0 1 0 0\nend\n";

std::string Clip(const std::vector<std::string>& names) {
    const int bones = int(names.size());
    std::string text = "version 1\nnodes\n";
    for (int b = 0; b < bones; ++b)
        text += std::to_string(b) + " \"" + names[size_t(b)] + "\" " + std::to_string(b - 1) + "\n";
    text += "end\nskeleton\ntime 0\n";
    for (int b = 0; b < bones; ++b) text += std::to_string(b) + " 0 0 0 0 0 0\n";
    return text + "end\n";
}

class LoadNotes : public ModelTest {};

TEST_F(LoadNotes, EveryRefusalAndToleranceNamesTheFile) {
    LoadContext inFolder{folder, context.report};
    struct Case {
        const char* name;
        std::function<void()> load;
        std::vector<std::string> expected;  // the notes in order; {F} stands for the scratch folder
    } cases[] = {
        {"missing reference, backslashes",
         [&] { model->LoadReference(device, (folder + "\\missing.smd").c_str(), context); },
         {"cannot read the model file {F}/missing.smd: No such file or directory"}},
        {"not an SMD file",
         [&] { LoadReferenceText("version 2\n", "v2.smd"); },
         {"model file {F}/v2.smd, line 1: the first line is not \"version 1\""}},
        {"material texture missing",
         [&] { LoadReferenceText(kReference); },
         {"material texture {F}/skin.bmp cannot be read; materials 0 to 0 have no texture"}},
        {"material name with escape bytes",
         [&] { LoadReferenceText(kEscapeMaterial, "esc.smd"); },
         {"material texture {F}/skin\\x1B]0;title\\x07 cannot be read; materials 0 to 0 have no "
          "texture"}},
        {"clip with fewer bones",
         [&] { LoadAnimationText(Clip({"root"}), "one.smd"); },
         {"animation {F}/one.smd has 1 bones, the model 2: bones 1 to 1 keep their pose"}},
        {"clip with more bones",
         [&] {
             LoadAnimationText(Clip({"root", "arm", "tail"}), "three.smd");
         },
         {"animation {F}/three.smd has 3 bones, the model 2: its bones 2 to 2 are not used"}},
        {"clip with as many bones",
         [&] {
             LoadAnimationText(Clip({"root", "arm"}), "two.smd");
         },
         {}},
        // Read from a base folder: named as the path is written, relative to it.
        {"missing reference in the base folder",
         [&] { model->LoadReference(device, "sub\\missing.smd", inFolder); },
         {"cannot read the model file sub/missing.smd: No such file or directory"}},
        {"material texture missing in the base folder",
         [&] { Write("in.smd", kReference), model->LoadReference(device, "in.smd", inFolder); },
         {"material texture skin.bmp cannot be read; materials 0 to 0 have no texture"}},
        {"refused in the base folder",
         [&] { Write("v3.smd", "version 3\n"), model->LoadAnimation("v3.smd", inFolder); },
         {"model file v3.smd, line 1: the first line is not \"version 1\""}},
        {"clip with other bones in the base folder",
         [&] {
             Write("sib.smd", Clip({"arm", "root"})), model->LoadAnimation("sib.smd", inFolder);
         },
         {"animation sib.smd names its bones unlike the model at the same places: its bones drive "
          "the "
          "model's bones of the same name"}},
        // Names that differ at the same places: matched by name, and what
        // is left out on either side listed once, its escape bytes shown.
        {"clip with other bones",
         [&] {
             LoadAnimationText(Clip({"arm", "tail", "fin\x1b[2J"}), "other.smd");
         },
         {"animation {F}/other.smd names its bones unlike the model at the same places: its bones "
          "drive the "
          "model's bones of the same name",
          "animation {F}/other.smd: bones not in the model, not used: \"tail\", \"fin\\x1B[2J\"",
          "animation {F}/other.smd: model bones not in the clip, they keep their pose: \"root\""}},
        // A reference that comes after such clips: the same notes for each,
        // naming the clip by its number.
        {"reference after clips with other bones",
         [&] { Write("late.smd", kReference), model->LoadReference(device, "late.smd", inFolder); },
         {"material texture skin.bmp cannot be read; materials 0 to 0 have no texture",
          "clip 3 of the model late.smd names its bones unlike the model at the same places: its "
          "bones drive "
          "the model's bones of the same name",
          "clip 4 of the model late.smd names its bones unlike the model at the same places: its "
          "bones drive "
          "the model's bones of the same name",
          "clip 4 of the model late.smd: bones not in the model, not used: \"tail\", "
          "\"fin\\x1B[2J\"",
          "clip 4 of the model late.smd: model bones not in the clip, they keep their pose: "
          "\"root\""}},
    };
    for (const Case& c : cases) {
        Reported().notes.clear();
        c.load();
        std::vector<std::string> expected = c.expected;
        for (std::string& note : expected)
            for (size_t at; (at = note.find("{F}")) != std::string::npos;)
                note.replace(at, 3, folder);
        EXPECT_EQ(Reported().notes, expected) << c.name;
    }
    // The boxes are the loaders' own: only the header refusals show one.
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, kNotSmd);
    EXPECT_EQ(Messages()[1].text, kNotSmd);
}

}  // namespace
