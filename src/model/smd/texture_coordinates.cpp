#include "model/smd/texture_coordinates.h"

#include <cmath>

#include "model/smd/file_outline.h"
#include "model/smd/line_fields.h"

namespace smd {

namespace {

struct CoordinateWalk {
    LineReader& reader;
    int triangleCount;
    TextureCoordinates* out;
    int triangle = 0;

    bool SkipSection() {
        Line line;
        while (reader.NextWithWord(&line))
            if (IsKeyword(FirstWord(line), "end")) return true;
        return false;
    }
    bool ReadNodes(int) { return SkipSection(); }
    bool ReadSkeleton(int) { return SkipSection(); }

    bool ReadTriangles(int) {
        static constexpr int kSlotOfLine[3] = {0, 2, 1};
        Line line;
        PoseFields fields;
        while (reader.NextWithWord(&line)) {
            if (IsKeyword(FirstWord(line), "end")) return true;
            if (triangle >= triangleCount) return false;
            for (int corner = 0; corner < 3; ++corner) {
                if (!reader.NextWithWord(&line)) return false;
                ScanPoseFields(line, &fields);
                float uv[2] = {0.0f, 0.0f};
                bool read = fields.count == 7;
                const char* p = read ? fields.textEnds[5] : nullptr;
                const char* text = nullptr;
                for (int i = 0; i < 2 && read; ++i)
                    read = ScanFloat(&p, line.end, &uv[i], &text) && std::isfinite(uv[i]);
                if (!read) {
                    uv[0] = uv[1] = 0.0f;
                    if (out->missing++ == 0) out->firstMissingLine = line.number;
                }
                size_t at = 2 * (3 * size_t(triangle) + size_t(kSlotOfLine[corner]));
                out->uv[at] = uv[0];
                out->uv[at + 1] = uv[1];
            }
            ++triangle;
        }
        return false;
    }
};

}  // namespace

bool ReadTextureCoordinates(std::span<const uint8_t> bytes, int triangleCount,
                            TextureCoordinates* out) {
    out->uv.assign(6 * size_t(triangleCount), 0.0f);
    out->missing = 0;
    out->firstMissingLine = 0;
    LineReader reader(bytes);
    CoordinateWalk walk{reader, triangleCount, out};
    return ReadSections(reader, walk) && walk.triangle == triangleCount;
}

}  // namespace smd
