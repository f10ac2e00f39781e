// Files given without an option: each placed by its kind, as its option
// would place it; and which runs end when a file does not load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/drop_plan.h"
#include "support/smd_texts.h"
#include "support/temp_folder.h"

namespace {

const std::string kReference = rrtest::SmdReference(1);

class FileArgumentsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The kind is in the content, not in the name.
        folder.Write("Ani_Looks_Like_A_Clip.smd", kReference);
        folder.Write("Ref_Looks_Like_A_Reference.SMD", rrtest::SmdClip(2));
        folder.Write("one_frame.smd", rrtest::SmdClip(1));
        folder.Write("cut_off.smd",
                     kReference.substr(0, kReference.size() - 30));  // its loader says why
        folder.Write("text.smd", "hello\n");
        folder.Write("sky.DDS", "x");
        folder.Write("e.fx", "x");
        folder.Write("notes.txt", "x");
    }
    std::string Place(std::vector<std::string> arguments, ProgramOptions* options) {
        std::vector<const char*> argv = {"reflect-refract"};
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        CommandLine line = ParseCommandLine(int(argv.size()), argv.data(), folder.Path().string());
        EXPECT_EQ(line.action, CommandLineAction::Run) << line.problem;
        std::string problem = CheckOptionFiles(line.options);
        if (problem.empty()) problem = PlaceFileArguments(&line.options);
        *options = line.options;
        return problem;
    }
    std::string In(const std::string& name) { return folder.File(name); }

    rrtest::TempFolder folder;
};

TEST_F(FileArgumentsTest, EachFileGoesWhereItsKindGoes) {
    const std::string ref = "Ani_Looks_Like_A_Clip.smd", clip = "Ref_Looks_Like_A_Reference.SMD";
    struct Case {
        std::vector<std::string> arguments;
        std::string problem;  // a part of it; empty: placed
        std::string model;
        std::vector<std::string> animations;
        std::string cubemap, effect;
    } cases[] = {
        {{ref, clip, "sky.DDS", "e.fx"}, "", In(ref), {In(clip)}, In("sky.DDS"), In("e.fx")},
        // Clips keep the command line's order among --animation files.
        {{"--animation", "one_frame.smd", clip, "--animation", "one_frame.smd"},
         "",
         "",
         {In("one_frame.smd"), In(clip), In("one_frame.smd")},
         "",
         ""},
        {{clip, "--animation", "one_frame.smd", clip, "--clip", "2"},
         "",
         "",
         {In(clip), In("one_frame.smd"), In(clip)},
         "",
         ""},
        {{"cut_off.smd"}, "", In("cut_off.smd"), {}, "", ""},
        {{ref, "--model", ref}, "the reference is given twice", "", {}, "", ""},
        {{"sky.DDS", "sky.DDS"}, "the cube map is given twice", "", {}, "", ""},
        {{"e.fx", "--effect", "e.fx"}, "the effect is given twice", "", {}, "", ""},
        {{"notes.txt"}, "notes.txt: not a .smd, .dds or .fx file", "", {}, "", ""},
        {{"text.smd"},
         "text.smd: not an SMD file: the first line is not \"version 1\"",
         "",
         {},
         "",
         ""},
        {{"missing.smd"}, "file ", "", {}, "", ""},
        {{ref, clip, "--clip", "1"},
         "--clip 1: there are 1 animation files, clips 0 to 0",
         "",
         {},
         "",
         ""},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) shown += argument + " ";
        ProgramOptions options;
        std::string problem = Place(c.arguments, &options);
        if (!c.problem.empty()) {
            EXPECT_NE(problem.find(c.problem), std::string::npos) << shown << problem;
            continue;
        }
        EXPECT_EQ(problem, "") << shown;
        EXPECT_EQ(options.model, c.model) << shown;
        EXPECT_EQ(options.animations, c.animations) << shown;
        EXPECT_EQ(options.cubemap, c.cubemap) << shown;
        EXPECT_EQ(options.effect, c.effect) << shown;
        EXPECT_TRUE(options.files.empty()) << shown;
    }
}

TEST_F(FileArgumentsTest, ADropTakesOneOfEachAndAnyNumberOfClips) {
    DropPlan plan = PlanDrop({In("Ref_Looks_Like_A_Reference.SMD"), In("Ani_Looks_Like_A_Clip.smd"),
                              In("one_frame.smd"), In("cut_off.smd"), In("sky.DDS"),
                              In("notes.txt"), In("e.fx"), In("e.fx")});
    EXPECT_EQ(plan.reference, In("Ani_Looks_Like_A_Clip.smd"));
    EXPECT_EQ(plan.clips, (std::vector<std::string>{In("Ref_Looks_Like_A_Reference.SMD"),
                                                    In("one_frame.smd")}));
    EXPECT_EQ(plan.cubeMap, In("sky.DDS"));
    EXPECT_EQ(plan.effect, In("e.fx"));
    ASSERT_EQ(plan.refused.size(), 3u);
    EXPECT_EQ(plan.refused[0].path, In("cut_off.smd"));  // a second reference
    EXPECT_NE(plan.refused[0].why.find("one file for the reference"), std::string::npos);
    EXPECT_EQ(plan.refused[1].why, "not a .smd, .dds or .fx file");
    EXPECT_EQ(plan.refused[2].path, In("e.fx"));
}

TEST(LoadFailuresTest, OnlyRunsThatNamedTheirFilesOrSaveAPictureEnd) {
    auto with = [](auto set) {
        ProgramOptions options;
        set(options);
        return options;
    };
    struct Case {
        ProgramOptions options;
        bool ends;
    } cases[] = {
        {{}, false},
        {with([](auto& o) { o.model = "/m.smd"; }), true},
        {with([](auto& o) { o.animations = {"/a.smd"}; }), true},
        {with([](auto& o) { o.cubemap = "/c.dds"; }), true},
        {with([](auto& o) { o.effect = "/e.fx"; }), true},
        {with([](auto& o) { o.effect = "/e.fx", o.watch = true; }), false},
        {with([](auto& o) { o.screenshot = "/s.png", o.watch = true; }), true},
        {with([](auto& o) { o.screenshot = "/s.png"; }), true},
        {with([](auto& o) { o.clip = 1, o.clipGiven = true; }), false},
    };
    for (const Case& c : cases) EXPECT_EQ(LoadFailuresEndTheRun(c.options), c.ends);
}

}  // namespace
