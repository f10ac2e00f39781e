// A small DDS writer for tests: legacy header, the formats the reader
// accepts, solid-colour levels. Header-only so both the parser's unit tests
// and the device's GL tests can use it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ddstest {

enum class Fmt { A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1, DXT3, DXT5 };

struct Rgba {
    uint8_t r, g, b, a;
};

inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

inline bool Compressed(Fmt f) { return f == Fmt::DXT1 || f == Fmt::DXT3 || f == Fmt::DXT5; }

inline size_t LevelBytes(Fmt f, uint32_t w, uint32_t h) {
    if (Compressed(f)) return size_t((w + 3) / 4) * ((h + 3) / 4) * (f == Fmt::DXT1 ? 8 : 16);
    return size_t(w) * h * 4;
}

inline uint16_t To565(Rgba c) { return uint16_t((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

// One pixel (uncompressed) or one 4×4 block (compressed) of a solid colour.
inline std::vector<uint8_t> Unit(Fmt f, Rgba c) {
    switch (f) {
    case Fmt::A8R8G8B8: return {c.b, c.g, c.r, c.a};
    case Fmt::X8R8G8B8: return {c.b, c.g, c.r, 0};
    case Fmt::A8B8G8R8: return {c.r, c.g, c.b, c.a};
    default: break;
    }
    std::vector<uint8_t> block;
    if (f == Fmt::DXT3) block.insert(block.end(), 8, 0xFF);  // 4-bit alphas, all opaque
    if (f == Fmt::DXT5) block.insert(block.end(), {0xFF, 0xFF, 0, 0, 0, 0, 0, 0});
    uint16_t colour = To565(c);
    // colour0 > colour1 selects four-colour mode in DXT1; indices 0 pick colour0.
    uint16_t other = colour == 0 ? 0 : uint16_t(colour - 1);
    block.insert(block.end(), {uint8_t(colour), uint8_t(colour >> 8), uint8_t(other),
                               uint8_t(other >> 8), 0, 0, 0, 0});
    return block;
}

// A level of w × h in colour `top` for its upper rows and `bottom` for its
// lower half (uncompressed formats; compressed levels are one colour).
inline std::vector<uint8_t> Level(Fmt f, uint32_t w, uint32_t h, Rgba top, Rgba bottom) {
    std::vector<uint8_t> out;
    if (Compressed(f)) {
        std::vector<uint8_t> unit = Unit(f, top);
        size_t blocks = LevelBytes(f, w, h) / unit.size();
        for (size_t i = 0; i < blocks; ++i) out.insert(out.end(), unit.begin(), unit.end());
        return out;
    }
    for (uint32_t y = 0; y < h; ++y) {
        std::vector<uint8_t> unit = Unit(f, y < h / 2 || h == 1 ? top : bottom);
        for (uint32_t x = 0; x < w; ++x) out.insert(out.end(), unit.begin(), unit.end());
    }
    return out;
}

inline std::vector<uint8_t> Level(Fmt f, uint32_t w, uint32_t h, Rgba c) { return Level(f, w, h, c, c); }

// The header: levels per face, cube maps with all six faces.
inline std::vector<uint8_t> Header(Fmt f, uint32_t w, uint32_t h, uint32_t levels, bool cube) {
    std::vector<uint8_t> out;
    Put32(out, 0x20534444);  // "DDS "
    Put32(out, 124);
    uint32_t flags = 0x1 | 0x2 | 0x4 | 0x1000 | (levels > 1 ? 0x20000 : 0) |
                     (Compressed(f) ? 0x80000 : 0x8);
    Put32(out, flags);
    Put32(out, h);
    Put32(out, w);
    Put32(out, Compressed(f) ? uint32_t(LevelBytes(f, w, h)) : w * 4);
    Put32(out, 0);       // depth
    Put32(out, levels);  // mip map count
    for (int i = 0; i < 11; ++i) Put32(out, 0);
    // Pixel format.
    Put32(out, 32);
    switch (f) {
    case Fmt::A8R8G8B8:
        for (uint32_t v : {0x41u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) Put32(out, v);
        break;
    case Fmt::X8R8G8B8:
        for (uint32_t v : {0x40u, 0u, 32u, 0xFF0000u, 0xFF00u, 0xFFu, 0u}) Put32(out, v);
        break;
    case Fmt::A8B8G8R8:
        for (uint32_t v : {0x41u, 0u, 32u, 0xFFu, 0xFF00u, 0xFF0000u, 0xFF000000u}) Put32(out, v);
        break;
    default: {
        const char* cc = f == Fmt::DXT1 ? "DXT1" : f == Fmt::DXT3 ? "DXT3" : "DXT5";
        Put32(out, 0x4);
        Put32(out, uint32_t(uint8_t(cc[0])) | uint32_t(uint8_t(cc[1])) << 8 |
                       uint32_t(uint8_t(cc[2])) << 16 | uint32_t(uint8_t(cc[3])) << 24);
        for (int i = 0; i < 5; ++i) Put32(out, 0);
    }
    }
    Put32(out, 0x1000 | (levels > 1 ? 0x400008 : 0) | (cube ? 0x8 : 0));  // caps
    Put32(out, cube ? 0xFE00 : 0);                                      // caps2
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    return out;
}

// A whole file: faces (1 or 6) × levels, each face one colour per level from
// colours[face][level], halves top/bottom when split is given.
inline std::vector<uint8_t> Solid(Fmt f, uint32_t w, uint32_t h, uint32_t levels,
                                  const std::vector<std::vector<Rgba>>& colours) {
    std::vector<uint8_t> out = Header(f, w, h, levels, colours.size() == 6);
    for (const auto& face : colours) {
        for (uint32_t level = 0; level < levels; ++level) {
            uint32_t lw = w >> level ? w >> level : 1, lh = h >> level ? h >> level : 1;
            std::vector<uint8_t> data = Level(f, lw, lh, face[level % face.size()]);
            out.insert(out.end(), data.begin(), data.end());
        }
    }
    return out;
}

inline bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace ddstest
