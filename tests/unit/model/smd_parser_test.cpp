// The parser on bytes, without a device: what it refuses and how much
// memory a hostile file can make it take.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "model/smd/smd_parser.h"

namespace {

std::span<const uint8_t> Span(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

smd::ParseStatus ParseAs(bool reference, const std::string& text) {
    smd::Reference mesh;
    smd::Animation clip;
    return reference ? smd::ParseReference(Span(text), &mesh)
                     : smd::ParseAnimation(Span(text), &clip);
}

std::string Repeat(const std::string& text, int count) {
    std::string out;
    out.reserve(text.size() * size_t(count));
    for (int i = 0; i < count; ++i) out += text;
    return out;
}

TEST(SmdParser, RefusalsOfTheWholeFileNameTheirKindAndLine) {
    struct Case {
        bool reference;
        std::string text;
        SmdLoadResult result;
        int line;
        std::string reason;
    };
    const std::string nodes = "nodes\n0 \"a\" -1\nend\n";
    const std::string triangle = "m\n" + Repeat("0 0 0 0 0 0 1 0 0\n", 3);
    const Case cases[] = {
        {true, "", SmdLoadResult::NotSmd, 0, "the file is empty"},
        {true, "version 2\n", SmdLoadResult::NotSmd, 1, "the first line is not \"version 1\""},
        // sscanf would store 4294967297 as 1 and accept it.
        {false, "version 4294967297\n", SmdLoadResult::NotSmd, 1,
         "the version number 4294967297 is out of range"},
        {true,
         "version 1\n" + nodes + "skeleton\ntime 0\n0 0 0 0 0 0 0\ntime 1\n0 0 0 0 0 0 0\nend\n",
         SmdLoadResult::WrongKind, 8,
         "the skeleton has 2 time lines: an animation, not a reference"},
        {false, "version 1\n" + nodes + "triangles\n" + triangle + triangle + "end\n",
         SmdLoadResult::WrongKind, 10, "the file has 2 triangles: a reference, not an animation"},
    };
    for (const Case& c : cases) {
        smd::ParseStatus status = ParseAs(c.reference, c.text);
        EXPECT_EQ(status.result, c.result) << c.text;
        EXPECT_EQ(status.line, c.line) << c.text;
        EXPECT_EQ(status.text, c.reason) << c.text;
    }
}

TEST(SmdParser, NulBytesEndALineAsTheyEndedTheLineBuffer) {
    // A NUL ends the line's text; in a line cut at 255 characters it also
    // kept the rest of the line from being skipped, so the characters after
    // the cut are read as a line of their own.
    static const char kNode[] = "nodes\n0 \"ab\0cd\" -1\n1 \"b\" 0\nend\n";
    static const char kStray[] = "stray\0";
    const std::string cut = std::string(kStray, sizeof(kStray) - 1) + std::string(249, ' ') +
                            "nodes\n0 \"a\" -1\nend\n";
    const std::string text = "version 1\n" + std::string(kNode, sizeof(kNode) - 1);
    smd::Reference mesh;
    smd::ParseStatus status = smd::ParseReference(Span(text), &mesh);
    // Line 3 reads as  0 "ab  : no closing quote.
    EXPECT_EQ(status.line, 3);
    EXPECT_EQ(status.text, "expected a node line: index \"name\" parent");

    const std::string good = "version 1\n" + cut;
    ASSERT_EQ(smd::ParseReference(Span(good), &mesh).result, SmdLoadResult::Ok);
    EXPECT_EQ(mesh.boneCount, 1);
}

// count lines: "0 " + text, "1 " + text, ...
std::string Numbered(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += std::to_string(i) + " " + text;
    return out;
}

// Files that made the old loaders allocate far more than they hold, before
// checking a line: the parser refuses them within a small memory budget.
TEST(SmdParser, HostileCountsCostNoMemoryBeforeTheirLinesAreChecked) {
    struct Case {
        bool reference;
        std::string text;
        int line;
    };
    // 4,000 node lines and 4,000 time lines (90 KB) once took 4 GB of
    // keyframes; 2 million lines of a nodes section 520 MB of bones.
    const Case cases[] = {
        {false,
         "version 1\nnodes\n" + Numbered("\"a\" -1\n", 4000) + "end\nskeleton\n" +
             Repeat("time 0\n", 4000) + "end\n",
         4006},
        {true, "version 1\nnodes\n" + Repeat("x\n", 2000000) + "end\n", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EXIT(
            {
                // Room for the parser's own tables, not for the counts.
                rlimit limit;
                getrlimit(RLIMIT_DATA, &limit);
                std::ifstream status("/proc/self/status");
                std::string key;
                size_t dataKb = 0;
                while (status >> key)
                    if (key == "VmData:") status >> dataKb;
                limit.rlim_cur = (dataKb << 10) + (size_t(64) << 20);
                setrlimit(RLIMIT_DATA, &limit);
                smd::ParseStatus parsed = ParseAs(c.reference, c.text);
                std::fprintf(stderr, "line %d: %s\n", parsed.line, parsed.text.c_str());
                std::exit(parsed.result == SmdLoadResult::Malformed && parsed.line == c.line ? 0
                                                                                             : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
}

}  // namespace
