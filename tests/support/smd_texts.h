// SMD texts of one bone, "root", standing at the origin: for tests that need
// a character on disk and care only how many triangles or keyframes it has.
#pragma once

#include <string>

namespace rrtest {

// A reference of this many triangles, each of skin.bmp.
inline std::string SmdReference(int triangles) {
    std::string text =
        "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n";
    for (int t = 0; t < triangles; ++t)
        text += "skin.bmp\n0 0 0 0 0 0 1 0 0\n0 1 0 0 0 0 1 0 0\n0 0 1 0 0 0 1 0 0\n";
    return text + "end\n";
}

// A clip of this many keyframes, numbered from 0.
inline std::string SmdClip(int keyframes) {
    std::string text = "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\n";
    for (int f = 0; f < keyframes; ++f) text += "time " + std::to_string(f) + "\n0 0 0 0 0 0 0\n";
    return text + "end\n";
}

}  // namespace rrtest
