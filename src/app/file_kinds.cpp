#include "app/file_kinds.h"

#include <strings.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "model/smd/file_outline.h"
#include "platform/files.h"

namespace {

bool EndsWith(const std::string& path, const char* extension) {
    size_t length = std::char_traits<char>::length(extension);
    return path.size() > length && strcasecmp(path.c_str() + path.size() - length, extension) == 0;
}

FileKindResult SmdKind(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadFileBytes(path.c_str(), file_limits::kSmdFile, &bytes, &error)) {
        size_t colon = error.rfind(": ");
        return {FileKind::Unknown, colon == std::string::npos ? error : error.substr(colon + 2)};
    }
    smd::LineReader reader(bytes);
    auto outline = std::make_unique<smd::FileOutline>();
    smd::ParseStatus status = smd::OutlineFile(reader, outline.get());
    if (status.result == SmdLoadResult::NotSmd)
        return {FileKind::Unknown, "not an SMD file: " + status.text};
    if (status.result == SmdLoadResult::Ok) {
        if (outline->secondTimeLine > 0) return {FileKind::Clip, {}};
        return {outline->triangleCount > 0 ? FileKind::Reference : FileKind::Clip, {}};
    }
    // A section breaks off: the section openers and time lines there are decide.
    smd::LineReader lines(bytes);
    smd::Line line;
    int times = 0;
    bool triangles = false;
    while (lines.Next(&line)) {
        std::string_view word = smd::FirstWord(line);
        times += smd::IsKeyword(word, "time") ? 1 : 0;
        triangles = triangles || smd::IsKeyword(word, "triangles");
    }
    return {triangles && times <= 1 ? FileKind::Reference : FileKind::Clip, {}};
}

}  // namespace

FileKindResult KindOfFile(const std::string& path) {
    if (EndsWith(path, ".dds")) return {FileKind::CubeMap, {}};
    if (EndsWith(path, ".fx")) return {FileKind::Effect, {}};
    if (EndsWith(path, ".smd")) return SmdKind(path);
    return {FileKind::Unknown, "not a .smd, .dds or .fx file"};
}

const char* KindName(FileKind kind) {
    switch (kind) {
    case FileKind::Reference: return "the reference";
    case FileKind::Clip: return "the animation";
    case FileKind::CubeMap: return "the cube map";
    case FileKind::Effect: return "the effect";
    case FileKind::Unknown: break;
    }
    return "the file";
}
