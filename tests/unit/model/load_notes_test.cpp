// What the loaders say on stderr: the file (with '/' separators) and the
// reason for every refusal, and what they tolerate but an author should know.
#include <functional>

#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kReference = "version 1\n" + kTwoNodes +
                               "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n"
                               "triangles\nskin.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\nend\n";

// A clip of the given bones, each the child of the one before.
// A material name that sets the terminal's title if printed as it is.
const std::string kEscapeMaterial = "version 1\n" + kTwoNodes +
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
    struct Case {
        const char* name;
        std::function<void()> load;
        std::string expected;  // {F} stands for the scratch folder
    } cases[] = {
        {"missing reference, backslashes",
         [&] { model->LoadReference(device, (folder + "\\missing.smd").c_str()); },
         "cannot read the model file {F}/missing.smd: No such file or directory"},
        {"not an SMD file", [&] { LoadReferenceText("version 2\n", "v2.smd"); },
         "model file {F}/v2.smd, line 1: the first line is not \"version 1\""},
        {"material texture missing", [&] { LoadReferenceText(kReference); },
         "material texture {F}/skin.bmp cannot be read; materials 0 to 0 have no texture"},
        {"material name with escape bytes", [&] { LoadReferenceText(kEscapeMaterial, "esc.smd"); },
         "material texture {F}/skin\\x1B]0;title\\x07 cannot be read; materials 0 to 0 have no texture"},
        {"clip with fewer bones", [&] { LoadAnimationText(Clip({"root"}), "one.smd"); },
         "animation {F}/one.smd has 1 bones, the model 2: bones 1 to 1 keep their pose"},
        {"clip with more bones", [&] { LoadAnimationText(Clip({"root", "arm", "tail"}), "three.smd"); },
         "animation {F}/three.smd has 3 bones, the model 2: its bones 2 to 2 are not used"},
        {"clip with as many bones", [&] { LoadAnimationText(Clip({"root", "arm"}), "two.smd"); }, ""},
        // Names that differ at the same places: matched by name, and what
        // is left out on either side listed once, its escape bytes shown.
        {"clip with other bones", [&] { LoadAnimationText(Clip({"arm", "tail", "fin\x1b[2J"}), "other.smd"); },
         "animation {F}/other.smd names its bones unlike the model at the same places: its bones drive the "
         "model's bones of the same name\n{P}animation {F}/other.smd: bones not in the model, not used: "
         "\"tail\", \"fin\\x1B[2J\"\n{P}animation {F}/other.smd: model bones not in the clip, they keep their "
         "pose: \"root\""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        c.load();
        std::string printed = testing::internal::GetCapturedStderr();
        std::string expected = c.expected;
        const std::string program = std::string(program_invocation_short_name) + ": ";
        for (size_t at; (at = expected.find("{F}")) != std::string::npos;) expected.replace(at, 3, folder);
        for (size_t at; (at = expected.find("{P}")) != std::string::npos;) expected.replace(at, 3, program);
        if (expected.empty()) {
            EXPECT_EQ(printed, "") << c.name;
        } else {
            EXPECT_EQ(printed, program + expected + "\n") << c.name;
        }
    }
    // The boxes are the loaders' own: only the header refusal shows one.
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, kNotSmd);
}

}  // namespace
