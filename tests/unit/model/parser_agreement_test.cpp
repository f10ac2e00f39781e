// The FILE-based loaders and the byte parser side by side: on the fixtures
// and on thousands of generated and mutated files they must give the same
// result, message and line, and the same records bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/skinned_model.h"
#include "model/smd/smd_parser.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

struct Outcome {
    SmdLoadResult result;
    int line = 0;
    std::string text;
};

bool SameBits(const void* a, const void* b, size_t size) {
    return std::memcmp(a, b, size) == 0;
}

bool SameBone(const Bone& a, const Bone& b) {
    return a.parentIndex == b.parentIndex && std::strcmp(a.name, b.name) == 0 &&
           SameBits(&a.localMatrix, &b.localMatrix, sizeof(Matrix4)) &&
           SameBits(&a.absoluteMatrix, &b.absoluteMatrix, sizeof(Matrix4));
}

// Why the two may differ: the faults the parser refuses and the old loader
// did not (or refused differently), each named.
enum class Named { None, NotFinite, OutOfInt, KeyframeTwice, VersionOutOfRange, TwoTriangleSections };

bool HasOutOfIntNumber(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!isdigit(static_cast<unsigned char>(text[i]))) continue;
        size_t j = i;
        while (j < text.size() && isdigit(static_cast<unsigned char>(text[j]))) ++j;
        if (j - i > 10 || std::stod(text.substr(i, j - i)) > 2147483648.0) return true;
        i = j;
    }
    return false;
}

Named NameOf(const smd::ParseStatus& status) {
    if (status.result == SmdLoadResult::NotSmd && status.text.find("out of range") != std::string::npos)
        return Named::VersionOutOfRange;
    if (status.result != SmdLoadResult::Malformed) return Named::None;
    if (status.text.find("is not a finite number") != std::string::npos) return Named::NotFinite;
    if (status.text.find("is given twice") != std::string::npos) return Named::KeyframeTwice;
    if (status.text.find(" is outside ") != std::string::npos || status.text.find(" is neither ") != std::string::npos)
        if (HasOutOfIntNumber(status.text.substr(0, status.text.find(" is ")))) return Named::OutOfInt;
    return Named::None;
}

// Lines whose first word is "triangles": two of them can make the old loader
// read past its bone inverses, so it is not run on such files.
int TrianglesOpeners(const std::string& text) {
    int count = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, 255));
        std::string word;
        if (words >> word && word.size() == 9 && strncasecmp(word.c_str(), "triangles", 9) == 0) ++count;
    }
    return count;
}

struct Tally {
    int agreed = 0;
    int okAgreed = 0;
    int named[6] = {};
};

class Agreement {
public:
    Tally tally;

    // Returns an empty string when the two agree (or differ in a named way).
    std::string Compare(const std::string& text, bool reference) {
        if (TrianglesOpeners(text) > 1) {
            ++tally.named[int(Named::TwoTriangleSections)];
            RunNew(text, reference);  // still must not crash
            return "";
        }
        SkinnedModel model;
        FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        if (text.empty()) file = std::fopen("/dev/null", "r");
        SmdLoadResult oldResult = reference ? model.ParseReference(file) : model.ParseAnimation(file);
        std::fclose(file);

        std::vector<uint8_t> bytes = Bytes(text);
        smd::Reference parsedReference;
        smd::Animation parsedAnimation;
        smd::ParseStatus status = reference ? smd::ParseReference(bytes, &parsedReference)
                                            : smd::ParseAnimation(bytes, &parsedAnimation);

        std::ostringstream why;
        bool sameKind = oldResult == status.result;
        bool sameText = oldResult != SmdLoadResult::Malformed ||
                        (model.errorLine == status.line && status.text == model.errorText);
        if (!sameKind || !sameText) {
            Named named = NameOf(status);
            bool later = oldResult == SmdLoadResult::Ok ||
                         (oldResult == SmdLoadResult::Malformed && model.errorLine >= status.line) ||
                         named == Named::VersionOutOfRange;
            if (named != Named::None && later) {
                ++tally.named[int(named)];
                return "";
            }
            why << "old " << int(oldResult) << " line " << model.errorLine << " \"" << model.errorText
                << "\", new " << int(status.result) << " line " << status.line << " \"" << status.text << "\"";
            return why.str();
        }
        ++tally.agreed;
        if (status.result != SmdLoadResult::Ok) return "";
        ++tally.okAgreed;
        return reference ? CompareMesh(model, parsedReference) : CompareClip(model, parsedAnimation);
    }

private:
    static void RunNew(const std::string& text, bool reference) {
        std::vector<uint8_t> bytes = Bytes(text);
        smd::Reference parsedReference;
        smd::Animation parsedAnimation;
        if (reference) smd::ParseReference(bytes, &parsedReference);
        else smd::ParseAnimation(bytes, &parsedAnimation);
    }

    static std::string CompareMesh(const SkinnedModel& model, const smd::Reference& parsed) {
        const ModelMesh& mesh = model.meshes[0];
        if (mesh.boneCount != parsed.boneCount) return "bone counts differ";
        if (mesh.triangleCount != parsed.triangleCount) return "triangle counts differ";
        for (int b = 0; b < mesh.boneCount; ++b)
            if (!SameBone(mesh.bones[b], parsed.bones[b])) return "bone " + std::to_string(b) + " differs";
        for (int t = 0; t < mesh.triangleCount; ++t) {
            const MeshTriangle& a = mesh.triangles[t];
            const MeshTriangle& b = parsed.triangles[t];
            if (a.materialIndex != b.materialIndex || !SameBits(a.boneIndices, b.boneIndices, sizeof(a.boneIndices)) ||
                !SameBits(a.vertices, b.vertices, sizeof(a.vertices)))
                return "triangle " + std::to_string(t) + " differs";
        }
        if (model.materialCount != parsed.materialCount) return "material counts differ";
        for (int i = 0; i < model.materialCount; ++i)
            if (std::strcmp(model.materialNames[i], parsed.materialNames[i]) != 0) return "material names differ";
        return "";
    }

    static std::string CompareClip(const SkinnedModel& model, const smd::Animation& parsed) {
        const AnimationClip& clip = model.clips[0];
        if (clip.frameCount != parsed.frameCount || clip.boneCount != parsed.boneCount)
            return "clip sizes differ";
        for (int f = 0; f < clip.frameCount; ++f)
            for (int b = 0; b < clip.boneCount; ++b)
                if (!SameBone(clip.frames[f][b], parsed.frames[size_t(f)][b]))
                    return "keyframe " + std::to_string(f) + " bone " + std::to_string(b) + " differs";
        return "";
    }
};

// Numbers written the ways exporters and hand edits write them.
std::string Number(std::mt19937& random, float value) {
    char text[64];
    switch (random() % 10) {
        case 0: std::snprintf(text, sizeof(text), "%g", double(value)); break;
        case 1: std::snprintf(text, sizeof(text), "%e", double(value)); break;
        case 2: std::snprintf(text, sizeof(text), "%+.3f", double(value)); break;
        case 3: std::snprintf(text, sizeof(text), "%a", double(value)); break;
        case 4: std::snprintf(text, sizeof(text), "%.9g", double(value)); break;
        case 5: std::snprintf(text, sizeof(text), "%.12f", double(value)); break;
        default: std::snprintf(text, sizeof(text), "%f", double(value)); break;
    }
    return text;
}

float Value(std::mt19937& random) {
    switch (random() % 6) {
        case 0: return 0.0f;
        case 1: return float(int(random() % 21) - 10);
        case 2: return std::ldexp(float(random() % 100000) - 50000.0f, -int(random() % 30));
        default: return (float(random() % 2000001) - 1000000.0f) / 1000.0f;
    }
}

struct Style {
    const char* lineEnd;
    bool blankLines;
    bool upperKeywords;
    const char* indent;
};

std::string Keyword(const Style& style, std::mt19937& random, const std::string& word) {
    if (!style.upperKeywords) return word;
    std::string out = word;
    for (char& c : out)
        if (random() % 2) c = char(toupper(c));
    return out;
}

std::string GenerateFile(std::mt19937& random, bool reference) {
    static const char* kEnds[] = {"\n", "\r\n", "\n"};
    static const char* kIndents[] = {"", "  ", "\t", " \t "};
    Style style{kEnds[random() % 3], random() % 4 == 0, random() % 3 == 0, kIndents[random() % 4]};
    std::string out;
    auto line = [&](const std::string& text) {
        out += text + style.lineEnd;
        if (style.blankLines && random() % 6 == 0) out += std::string(random() % 2 ? "  " : "") + style.lineEnd;
    };
    auto pose = [&](int bone) {
        std::string text = style.indent + std::to_string(bone);
        for (int i = 0; i < 6; ++i) text += " " + Number(random, i < 3 ? Value(random) : Value(random) / 100.0f);
        return text;
    };
    line(Keyword(style, random, "version") + " 1");
    int bones = 1 + int(random() % 6);
    line(Keyword(style, random, "nodes"));
    for (int b = 0; b < bones; ++b) {
        int parent = b == 0 ? -1 : int(random() % unsigned(b + 1)) - 1;
        std::string name = random() % 8 == 0 ? std::string(60 + random() % 60, 'n') : "bone " + std::to_string(b);
        line(style.indent + std::to_string(b) + " \"" + name + "\" " + std::to_string(parent));
    }
    line(Keyword(style, random, "end"));
    int frames = reference ? 1 : 1 + int(random() % 4);
    line(Keyword(style, random, "skeleton"));
    std::vector<int> order(static_cast<size_t>(frames), 0);
    for (int f = 0; f < frames; ++f) order[size_t(f)] = f;
    std::shuffle(order.begin(), order.end(), random);
    for (int f : order) {
        line(Keyword(style, random, "time") + " " + std::to_string(f));
        for (int b = 0; b < bones; ++b) line(pose(b));
        if (!reference && random() % 5 == 0) line("stray words");
    }
    line(Keyword(style, random, "end"));
    int triangles = reference ? int(random() % 7) : int(random() % 2);
    if (triangles > 0 || random() % 2) {
        static const char* kMaterials[] = {"skin.bmp", "Skin.bmp", "cloth.bmp"};
        line(Keyword(style, random, "triangles"));
        for (int t = 0; t < triangles; ++t) {
            line(kMaterials[random() % 3]);
            for (int k = 0; k < 3; ++k) {
                std::string text = pose(int(random() % unsigned(bones))) + " " + Number(random, 0.5f) + " 0.25";
                if (random() % 3 == 0) text += " 1 0 1.000000";
                line(text);
            }
        }
        line(Keyword(style, random, "end"));
    }
    return out;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size() - 1;
        lines.push_back(text.substr(start, end - start + 1));
        start = end + 1;
    }
    return lines;
}

std::string Mutate(std::mt19937& random, std::string text) {
    static const char* kNumbers[] = {"nan", "inf", "-INFINITY", "1e40", "4294967296", "-2147483649", "2147483647",
                                     "0x1p3", "0x", "0x.", "1e", "1e+", "+.5", "99999999999999999999", "-0",
                                     "1.5.3", "1e-0x", "x", "7", "-1", "1e-50", "1e-40", "infinit", "+-1"};
    static const char* kLines[] = {"end", "time 0", "time 1", "triangles", "nodes", "skeleton", "", "  ",
                                   "0 \"a\" -1", "0 0 0 0 0 0 0", "m"};
    static const char kBytes[] = "0123456789 \t\"-+.eExnd\n\r";
    int count = 1 + int(random() % 3);
    for (int m = 0; m < count; ++m) {
        std::vector<std::string> lines = SplitLines(text);
        if (lines.empty()) return text;
        size_t at = random() % lines.size();
        switch (random() % 11) {
            case 0: lines.erase(lines.begin() + long(at)); break;
            case 1: lines.insert(lines.begin() + long(at), lines[at]); break;
            case 2: std::swap(lines[at], lines[random() % lines.size()]); break;
            case 3: lines.insert(lines.begin() + long(at), std::string(kLines[random() % 11]) + "\n"); break;
            case 4: {  // a number replaced
                std::string& line = lines[at];
                size_t digit = line.find_first_of("0123456789", random() % (line.size() + 1));
                if (digit == std::string::npos) break;
                size_t stop = line.find_first_of(" \t\r\n", digit);
                if (stop == std::string::npos) stop = line.size();
                size_t start = line.find_last_of(" \t", digit);
                start = start == std::string::npos ? 0 : start + 1;
                line.replace(start, stop - start, kNumbers[random() % 24]);
                break;
            }
            case 5: lines[at].insert(lines[at].size() > 1 ? lines[at].size() - 1 : 0,
                                     std::string(200 + random() % 200, random() % 2 ? ' ' : '7'));
                break;
            case 6: lines[at].insert(random() % (lines[at].size() + 1), 1, '\0'); break;
            default: {
                std::string& line = lines[at];
                size_t position = random() % (line.size() + 1);
                char byte = kBytes[random() % (sizeof(kBytes) - 1)];
                if (random() % 2 && position < line.size()) {
                    line[position] = byte;
                } else {
                    line.insert(position, 1, byte);
                }
                break;
            }
        }
        text.clear();
        for (const std::string& line : lines) text += line;
        if (random() % 8 == 0) text.resize(random() % (text.size() + 1));
    }
    return text;
}

TEST(ParserAgreement, FixturesAndGeneratedFilesGiveTheSameRecords) {
    Agreement agreement;
    for (const char* fixture : {"/Model/SMD/Pudo_Red/Ref_Red.smd", "/anim_crlf.smd"}) {
        std::ifstream in(std::string(RR_TEST_DATA_DIR) + fixture, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(agreement.Compare(text, true), "") << fixture;
        EXPECT_EQ(agreement.Compare(text, false), "") << fixture;
    }
    for (const char* run : {RR_RUN_DIR "/Model/SMD/Pudo_Red/Ref_Red.smd"}) {
        std::ifstream in(run, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!text.empty()) {
            EXPECT_EQ(agreement.Compare(text, true), "") << run;
        }
    }
    std::mt19937 random(getenv("AGREE_SEED") ? unsigned(atoi(getenv("AGREE_SEED"))) : 20240611u);
    int compared = 0;
    for (int i = 0; i < (getenv("AGREE_N") ? atoi(getenv("AGREE_N")) : 6000); ++i) {
        bool reference = i % 2 == 0;
        std::string text = GenerateFile(random, reference);
        if (i % 3 != 0) text = Mutate(random, text);
        std::string why = agreement.Compare(text, reference);
        ASSERT_EQ(why, "") << "file " << i << (reference ? " (reference)" : " (animation)") << ":\n" << text;
        ++compared;
    }
    const Tally& t = agreement.tally;
    std::printf("agreed %d (%d loaded), named: not finite %d, out of int %d, keyframe twice %d, "
                "version out of range %d, two triangles sections %d\n",
                t.agreed, t.okAgreed, t.named[1], t.named[2], t.named[3], t.named[4], t.named[5]);
    EXPECT_GT(t.agreed, compared * 3 / 4);
    EXPECT_GT(t.okAgreed, compared / 4);
}

}  // namespace
