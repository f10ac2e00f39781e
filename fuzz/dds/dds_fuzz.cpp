// The DDS reader: whatever the bytes, every span it hands out lies inside
// them (each span's first and last byte is read, so AddressSanitizer sees a
// span that does not), and the size check answers for every accepted header.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx/image/dds.h"
#include "platform/gfx/image/texture_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gfx::image::DdsImage dds;
    std::string error;
    if (!gfx::image::ParseDds(data, size, &dds, &error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (dds.spans.size() != size_t(dds.faces) * dds.levels || dds.levels == 0) std::abort();
    volatile uint8_t sink = 0;
    for (const gfx::image::DdsSpan& span : dds.spans) {
        if (span.size == 0 || span.offset > size || span.size > size - span.offset) std::abort();
        if (span.size != gfx::image::DdsLevelSize(dds.format, span.width, span.height))
            std::abort();
        sink = sink ^ data[span.offset] ^ data[span.offset + span.size - 1];
    }
    gfx::image::TextureLimits limits;
    limits.maxEdge = 16384;
    uint64_t bytes = gfx::image::DdsLevelSize(dds.format, dds.width, dds.height) * dds.faces;
    gfx::image::CheckTextureSize(dds.width, dds.height, dds.faces, bytes, limits, &error);
    return 0;
}
