#include "asset_readers.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

std::string FirstWord(const char* line) {
    char word[256] = {};
    if (std::sscanf(line, "%255s", word) != 1) return {};
    return word;
}

}  // namespace

bool ReadSmdFile(const std::string& path, SmdData* out, std::string* error) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    enum { kOutside, kNodes, kSkeleton, kTriangles } section = kOutside;
    char line[512];
    int lineNumber = 0, cornersLeft = 0;
    bool headerSeen = false;
    auto fail = [&](const std::string& what) {
        *error = path + ":" + std::to_string(lineNumber) + ": " + what;
        std::fclose(file);
        return false;
    };
    while (std::fgets(line, sizeof line, file)) {
        ++lineNumber;
        std::string word = FirstWord(line);
        if (!headerSeen) {
            int version = 0;
            if (std::sscanf(line, "version %d", &version) != 1 || version != 1)
                return fail("bad header");
            headerSeen = true;
            continue;
        }
        if (section == kOutside) {
            if (word == "nodes")
                section = kNodes;
            else if (word == "skeleton")
                section = kSkeleton;
            else if (word == "triangles")
                section = kTriangles;
            else
                return fail("unexpected line outside a section");
            continue;
        }
        if (word == "end" && cornersLeft == 0) {
            section = kOutside;
            continue;
        }
        if (section == kNodes) {
            SmdNode node;
            char name[256] = {};
            if (std::sscanf(line, "%d \"%255[^\"]\" %d", &node.index, name, &node.parent) != 3)
                return fail("bad node line");
            node.name = name;
            out->nodes.push_back(node);
        } else if (section == kSkeleton) {
            int time = 0;
            if (std::sscanf(line, "time %d", &time) == 1) {
                if (out->timeBlocks.empty()) out->firstTime = time;
                if (time != out->firstTime + static_cast<int>(out->timeBlocks.size()))
                    return fail("time blocks out of order");
                out->timeBlocks.emplace_back();
                continue;
            }
            SmdBoneLine b;
            if (out->timeBlocks.empty() ||
                std::sscanf(line, "%d %f %f %f %f %f %f", &b.bone, &b.values[0], &b.values[1],
                            &b.values[2], &b.values[3], &b.values[4], &b.values[5]) != 7)
                return fail("bad bone line");
            out->timeBlocks.back().push_back(b);
        } else {
            if (cornersLeft == 0) {
                out->triangles.emplace_back();
                out->triangles.back().material = word;
                cornersLeft = 3;
                continue;
            }
            SmdVertexLine& v = out->triangles.back().vertices[3 - cornersLeft];
            int used = 0;
            if (std::sscanf(line, "%d %f %f %f %f %f %f %f %f%n", &v.bone, &v.position.x,
                            &v.position.y, &v.position.z, &v.normal.x, &v.normal.y, &v.normal.z,
                            &v.u, &v.v, &used) != 9)
                return fail("bad vertex line");
            // Weight links: a count, then bone and weight pairs.
            int count = 0, more = 0;
            if (std::sscanf(line + used, "%d%n", &count, &more) == 1) {
                const char* rest = line + used + more;
                for (int k = 0; k < count; ++k) {
                    std::pair<int, float> link;
                    if (std::sscanf(rest, "%d %f%n", &link.first, &link.second, &more) != 2)
                        return fail("bad weight links");
                    v.links.push_back(link);
                    rest += more;
                }
            }
            --cornersLeft;
        }
    }
    std::fclose(file);
    if (section != kOutside || cornersLeft != 0) {
        *error = path + ": file ends inside a section";
        return false;
    }
    return true;
}

std::vector<Matrix4> BlockAbsolutes(const SmdData& data, size_t block) {
    std::vector<Matrix4> absolute(data.nodes.size());
    for (const SmdBoneLine& b : data.timeBlocks[block]) {
        if (b.bone < 0 || static_cast<size_t>(b.bone) >= absolute.size()) continue;
        const float* v = b.values;
        Matrix4 local = MatrixRotationX(v[3]) * MatrixRotationY(v[4]) * MatrixRotationZ(v[5]) *
                        MatrixTranslation(v[0], v[1], v[2]);
        int parent = data.nodes[static_cast<size_t>(b.bone)].parent;
        if (parent >= b.bone) parent = -1;  // only earlier bones can be parents here
        absolute[static_cast<size_t>(b.bone)] =
            parent < 0 ? local : local * absolute[static_cast<size_t>(parent)];
    }
    return absolute;
}

std::vector<uint8_t> ReadAllBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

std::string RunCommand(const std::string& command, int* status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return text;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
    int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return text;
}
