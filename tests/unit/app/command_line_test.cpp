// The command line: what each argument list means, which files it refuses,
// and that the README and the man page name every option.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/version.h"
#include "support/text_files.h"

namespace {

CommandLine Parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "reflect-refract");
    return ParseCommandLine(int(arguments.size()), arguments.data(), "/work");
}

TEST(CommandLineTest, ArgumentListsMeanWhatTheHelpSays) {
    struct Case {
        std::vector<const char*> arguments;
        CommandLineAction action;
        std::string problem;  // for BadUsage: a part of the reason
    } cases[] = {
        {{}, CommandLineAction::Run, ""},
        {{"--help", "--bogus"}, CommandLineAction::Help, ""},
        {{"--version"}, CommandLineAction::Version, ""},
        {{"--bogus"}, CommandLineAction::BadUsage, "unknown option --bogus"},
        {{"model.smd"}, CommandLineAction::Run, ""},             // placed by its kind later
        {{"a.smd", "--clip", "5"}, CommandLineAction::Run, ""},  // checked once placed
        {{""}, CommandLineAction::BadUsage, "an empty argument"},
        {{"--model"}, CommandLineAction::BadUsage, "--model needs a value: REFERENCE.smd"},
        {{"--model="}, CommandLineAction::BadUsage, "--model needs a value"},
        {{"--model", "a.smd", "--model", "b.smd"},
         CommandLineAction::BadUsage,
         "--model given twice"},
        {{"--watch=yes"}, CommandLineAction::BadUsage, "--watch takes no value"},
        {{"--clip", "-1"}, CommandLineAction::BadUsage, "--clip needs a clip number"},
        {{"--clip", "1x"}, CommandLineAction::BadUsage, "--clip needs a clip number"},
        {{"--clip", "2"}, CommandLineAction::Run, ""},  // the program's own three clips
        {{"--clip", "3"}, CommandLineAction::BadUsage, "there are 3 animation files, clips 0 to 2"},
        {{"--model", "m.smd", "--clip", "0"}, CommandLineAction::BadUsage, "no animation file"},
        {{"--model", "m.smd", "--animation", "a.smd", "--clip=1"},
         CommandLineAction::BadUsage,
         "there are 1 animation files"},
        {{"--frames", "5"}, CommandLineAction::BadUsage, "--frames needs --screenshot"},
        {{"--screenshot", "s.png", "--frames", "0"}, CommandLineAction::BadUsage, "--frames needs"},
        {{"--thumbnail", "8", "m.smd", "t.png"}, CommandLineAction::Run, ""},
        {{"--thumbnail", "1024", "m.smd", "t.png", "--animation", "a.smd"},
         CommandLineAction::Run,
         ""},
        {{"--thumbnail", "7", "m.smd", "t.png"},
         CommandLineAction::BadUsage,
         "from 8 to 1024 pixels"},
        {{"--thumbnail", "1025", "m.smd", "t.png"}, CommandLineAction::BadUsage, "not \"1025\""},
        {{"--thumbnail", "64px", "m.smd", "t.png"}, CommandLineAction::BadUsage, "a size from 8"},
        {{"--thumbnail", "64", "m.smd"}, CommandLineAction::BadUsage, "needs three values"},
        {{"--thumbnail", "64", "m.smd", ""}, CommandLineAction::BadUsage, "needs three values"},
        {{"--thumbnail=64", "m.smd", "t.png"}, CommandLineAction::BadUsage, "needs three values"},
        {{"--thumbnail", "64", "m.smd", "t.png", "--thumbnail", "64", "m.smd", "u.png"},
         CommandLineAction::BadUsage,
         "--thumbnail given twice"},
        {{"--model", "a.smd", "--thumbnail", "64", "m.smd", "t.png"},
         CommandLineAction::BadUsage,
         "no --model"},
        {{"--thumbnail", "64", "m.smd", "t.png", "--model", "a.smd"},
         CommandLineAction::BadUsage,
         "no --model"},
        {{"--thumbnail", "64", "m.smd", "t.png", "--screenshot", "s.png"},
         CommandLineAction::BadUsage,
         "neither --screenshot nor --watch"},
        {{"--thumbnail", "64", "m.smd", "t.png", "x.dds"},
         CommandLineAction::BadUsage,
         "no files without an option"},
        // The viewer panel and playback.
        {{"--panel"}, CommandLineAction::Run, ""},
        {{"--no-panel"}, CommandLineAction::Run, ""},
        {{"--panel", "--no-panel"}, CommandLineAction::BadUsage, "give one of them"},
        {{"--no-panel", "--no-panel"}, CommandLineAction::BadUsage, "--no-panel given twice"},
        {{"--panel=yes"}, CommandLineAction::BadUsage, "--panel takes no value"},
        {{"--thumbnail", "64", "m.smd", "t.png", "--panel"},
         CommandLineAction::BadUsage,
         "draws no --panel"},
        {{"--playback", "time"}, CommandLineAction::Run, ""},
        {{"--playback=frame"}, CommandLineAction::Run, ""},
        {{"--playback"}, CommandLineAction::BadUsage, "--playback needs a value: frame|time"},
        {{"--playback", "Time"},
         CommandLineAction::BadUsage,
         "--playback needs frame or time, not \"Time\""},
        {{"--playback", "time", "--playback=time"},
         CommandLineAction::BadUsage,
         "--playback given twice"},
        {{"--fps", "1"}, CommandLineAction::Run, ""},
        {{"--fps=1000"}, CommandLineAction::Run, ""},
        {{"--fps", "0"}, CommandLineAction::BadUsage, "keyframes per second from 1 to 1000"},
        {{"--fps", "1001"}, CommandLineAction::BadUsage, "not \"1001\""},
        {{"--fps", "29.97"}, CommandLineAction::BadUsage, "--fps needs a number"},
        {{"--fps", "-5"}, CommandLineAction::BadUsage, "--fps needs a number"},
        {{"--fps", "30", "--fps", "30"}, CommandLineAction::BadUsage, "--fps given twice"},
        {{"--vsync"}, CommandLineAction::Run, ""},
        {{"--vsync=1"}, CommandLineAction::BadUsage, "--vsync takes no value"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* argument : c.arguments) shown += std::string(argument) + " ";
        CommandLine line = Parse(c.arguments);
        EXPECT_EQ(line.action, c.action) << shown << line.problem;
        EXPECT_NE(line.problem.find(c.problem), std::string::npos) << shown << line.problem;
    }

    ProgramOptions o =
        Parse({"--model", "m/Ref.smd", "--animation=./a.smd", "--animation", "/b.smd"}).options;
    EXPECT_EQ(o.model, "/work/m/Ref.smd");
    EXPECT_EQ(o.animations, (std::vector<std::string>{"/work/a.smd", "/b.smd"}));
    o = Parse({"--thumbnail", "256", "m/Ref.smd", "out/t.png"}).options;
    EXPECT_EQ(o.thumbnailSize, 256);
    EXPECT_EQ(o.model, "/work/m/Ref.smd");
    EXPECT_EQ(o.thumbnail, "/work/out/t.png");
    EXPECT_TRUE(LoadFailuresEndTheRun(o));
    std::vector<const char*> many;
    for (int i = 0; i <= kMaxAnimationFiles; ++i) many.push_back("--animation=a.smd");
    EXPECT_NE(Parse(many).problem.find("at most 32"), std::string::npos);
}

// Whether the panel shows and the clip moves in real time at start, by the
// options given, and the keyframe rate and vsync they ask for.
TEST(CommandLineTest, PanelAndPlaybackDefaultsFollowTheOptions) {
    struct Case {
        std::vector<const char*> arguments;
        bool panelShown;
        bool realTime;
        int keyframesPerSecond = 30;
        bool vsync = false;
    } cases[] = {
        {{}, false, false},
        {{"--model", "m.smd"}, true, true},
        {{"--model", "m.smd", "--screenshot", "s.png"}, false, false},
        {{"--model", "m.smd", "--screenshot", "s.png", "--panel"}, true, false},
        {{"--model", "m.smd", "--screenshot", "s.png", "--playback", "time"}, false, true},
        {{"--model", "m.smd", "--no-panel", "--playback", "frame"}, false, false},
        {{"--panel"}, true, false},
        {{"--playback", "time"}, false, true},
        {{"--thumbnail", "64", "m.smd", "t.png"}, false, true},
        {{"--fps", "12", "--vsync"}, false, false, 12, true},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* argument : c.arguments) shown += std::string(argument) + " ";
        CommandLine line = Parse(c.arguments);
        ASSERT_EQ(line.action, CommandLineAction::Run) << shown << line.problem;
        EXPECT_EQ(PanelShownAtStart(line.options), c.panelShown) << shown;
        EXPECT_EQ(RealTimePlaybackAtStart(line.options), c.realTime) << shown;
        EXPECT_EQ(line.options.keyframesPerSecond, c.keyframesPerSecond) << shown;
        EXPECT_EQ(line.options.vsync, c.vsync) << shown;
    }
}

using rrtest::ReadSourceText;

// What a person reads about the options stays in step with the program.
TEST(CommandLineTest, HelpReadmeAndManPageNameEveryOption) {
    std::string help = HelpText(), readme = ReadSourceText("README.md");
    std::string manual = ReadSourceText("docs/reflect-refract.1");
    ASSERT_FALSE(readme.empty());
    ASSERT_FALSE(manual.empty());
    for (const std::string& name : OptionNames()) {
        EXPECT_NE(help.find(name), std::string::npos) << name;
        EXPECT_NE(readme.find(name), std::string::npos) << name;
        // roff writes each hyphen of an option as \-.
        std::string roff;
        for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(roff), std::string::npos) << name;
    }
    EXPECT_NE(manual.find(std::string("\"reflect-refract ") + kProgramVersion + "\""),
              std::string::npos);
    EXPECT_EQ(VersionText(), std::string("reflect-refract ") + kProgramVersion);
}

// Lines joined, roff's and Markdown's marks taken out, lower case: what a
// person reads, for looking up phrases.
std::string Plain(std::string text) {
    for (const char* mark : {"\\fB", "\\fR", "\\fI", "`", "\\(lq", "\\(rq"}) {
        for (size_t at; (at = text.find(mark)) != std::string::npos;)
            text.erase(at, std::strlen(mark));
    }
    for (size_t at; (at = text.find("\\-")) != std::string::npos;) text.erase(at, 1);
    std::string plain;
    for (char c : text) {
        char next = c == '\n' ? ' ' : char(std::tolower(static_cast<unsigned char>(c)));
        if (next == ' ' && !plain.empty() && plain.back() == ' ') continue;
        plain += next;
    }
    return plain;
}

// The help, the README and the man page say the same about files given
// without an option, dropped files, what watch mode loads again and when
// the exit code is 1.
TEST(CommandLineTest, HelpReadmeAndManPageDescribeFilesDropsWatchAndExitCodes) {
    const std::string texts[] = {Plain(HelpText()), Plain(ReadSourceText("README.md")),
                                 Plain(ReadSourceText("docs/reflect-refract.1"))};
    const char* phrases[] = {
        "file.smd",
        "file.dds",
        "file.fx",
        "told by its content",
        "dropped onto the window",
        "a file that does not load changes nothing",
        "the model and its textures, each clip, the cube map, the effect",
        "a file the command line names did not load",
    };
    for (const char* phrase : phrases)
        for (size_t i = 0; i < 3; ++i)
            EXPECT_NE(texts[i].find(phrase), std::string::npos) << phrase << " in text " << i;
}

}  // namespace
