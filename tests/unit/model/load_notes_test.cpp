// What the loaders note: the file (with '/' separators, relative to the base
// folder when it was read from one) and the reason for every refusal, and
// what they tolerate but an author should know.
#include <functional>

#include "model_test_support.h"

namespace {

using namespace model_test;

const std::string kReference = "version 1\n" + kTwoNodes +
                               "skeleton\ntime 0\n0 0 0 0 0 0 0\n1 0 0 0 0 0 0\nend\n"
                               "triangles\nskin.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\nend\n";

std::string Clip(int bones) {
    std::string text = "version 1\nnodes\n";
    for (int b = 0; b < bones; ++b) text += std::to_string(b) + " \"b\" " + std::to_string(b - 1) + "\n";
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
        std::string expected;  // {F} stands for the scratch folder
    } cases[] = {
        {"missing reference, backslashes",
         [&] { model->LoadReference(device, (folder + "\\missing.smd").c_str(), context); },
         "cannot read the model file {F}/missing.smd: No such file or directory"},
        {"not an SMD file", [&] { LoadReferenceText("version 2\n", "v2.smd"); },
         "model file {F}/v2.smd, line 1: the first line is not \"version 1\""},
        {"material texture missing", [&] { LoadReferenceText(kReference); },
         "material texture {F}/skin.bmp cannot be read; materials 0 to 0 have no texture"},
        {"clip with fewer bones", [&] { LoadAnimationText(Clip(1), "one.smd"); },
         "animation {F}/one.smd has 1 bones, the model 2: bones 1 to 1 keep their pose"},
        {"clip with more bones", [&] { LoadAnimationText(Clip(3), "three.smd"); },
         "animation {F}/three.smd has 3 bones, the model 2: its bones 2 to 2 are not used"},
        {"clip with as many bones", [&] { LoadAnimationText(Clip(2), "two.smd"); }, ""},
        // Read from a base folder: named as the path is written, relative to it.
        {"missing reference in the base folder",
         [&] { model->LoadReference(device, "sub\\missing.smd", inFolder); },
         "cannot read the model file sub/missing.smd: No such file or directory"},
        {"material texture missing in the base folder",
         [&] { Write("in.smd", kReference), model->LoadReference(device, "in.smd", inFolder); },
         "material texture skin.bmp cannot be read; materials 0 to 0 have no texture"},
        {"refused in the base folder",
         [&] { Write("v3.smd", "version 3\n"), model->LoadAnimation("v3.smd", inFolder); },
         "model file v3.smd, line 1: the first line is not \"version 1\""},
    };
    for (const Case& c : cases) {
        Reported().notes.clear();
        c.load();
        std::string expected = c.expected;
        if (size_t at = expected.find("{F}"); at != std::string::npos) expected.replace(at, 3, folder);
        std::vector<std::string> noted;
        if (!expected.empty()) noted.push_back(expected);
        EXPECT_EQ(Reported().notes, noted) << c.name;
    }
    // The boxes are the loaders' own: only the header refusals show one.
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, kNotSmd);
    EXPECT_EQ(Messages()[1].text, kNotSmd);
}

}  // namespace
