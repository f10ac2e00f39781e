// What a file given without an option (on the command line, dropped on the
// window) is for: .dds is the cube map, .fx the effect, and .smd a reference
// mesh or an animation clip, told apart by the sections it holds: more than
// one time line makes a clip, triangles and one time line a reference.
#pragma once

#include <string>

enum class FileKind { Reference, Clip, CubeMap, Effect, Unknown };

struct FileKindResult {
    FileKind kind = FileKind::Unknown;
    // For Unknown: why, one line without the path ("not a .smd, .dds or .fx
    // file", "No such file or directory", "not an SMD file: ...").
    std::string why;
};

// Looks at the name's extension (any letter case) and, for .smd, reads the
// file. A file whose sections break off is still told by what it holds so
// far (its loader then says what is wrong).
FileKindResult KindOfFile(const std::string& path);

// "the reference", "the animation", "the cube map", "the effect", "the file".
const char* KindName(FileKind kind);
