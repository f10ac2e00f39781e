// Readers for the generated files, written apart from the generator so the
// tests check the bytes on disk rather than the generator's own structures.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "math/matrix4.h"
#include "math/vector3.h"

struct SmdNode {
    int index = 0;
    std::string name;
    int parent = -1;
};

struct SmdBoneLine {
    int bone = 0;
    float values[6] = {};  // position x, y, z; angles x, y, z
};

struct SmdVertexLine {
    int bone = 0;
    Vector3 position;
    Vector3 normal;
    float u = 0, v = 0;
    std::vector<std::pair<int, float>> links;  // (bone, weight) after u v
};

struct SmdTriangleLines {
    std::string material;
    SmdVertexLine vertices[3];  // in file order
};

struct SmdData {
    int firstTime = 0;  // the number of the first time line; the others count on by one
    std::vector<SmdNode> nodes;
    std::vector<std::vector<SmdBoneLine>> timeBlocks;
    std::vector<SmdTriangleLines> triangles;
};

// Reads an SMD file; returns false with a message on anything unexpected.
bool ReadSmdFile(const std::string& path, SmdData* out, std::string* error);

// Absolute matrices of one time block: local = RotX × RotY × RotZ × T,
// absolute = local × parent's absolute (node indices: nodes numbered 0, 1,
// 2, ... in order).
std::vector<Matrix4> BlockAbsolutes(const SmdData& data, size_t block);

std::vector<uint8_t> ReadAllBytes(const std::string& path);

// The text printed by a shell command, and its exit status.
std::string RunCommand(const std::string& command, int* status);
