#include "platform/gfx/font/font_faces.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gfx::font {

namespace {

// Cell height used when the request gives no height at all.
constexpr int kDefaultCellHeight = 16;

// Ascent and descent in font units, as the Windows text functions measure a
// cell: the OS/2 table's usWinAscent/usWinDescent, or the face's ascender and
// descender when it has no OS/2 table.
void CellUnits(FT_Face face, double* ascent, double* descent) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
        *ascent = os2->usWinAscent;
        *descent = os2->usWinDescent;
    } else {
        *ascent = face->ascender;
        *descent = -face->descender;
    }
    if (*ascent + *descent <= 0) {
        *ascent = face->units_per_EM * 0.8;
        *descent = face->units_per_EM * 0.2;
    }
}

}  // namespace

double PixelSizeForCellHeight(FT_Face face, int cellHeight) {
    double ascent = 0;
    double descent = 0;
    CellUnits(face, &ascent, &descent);
    return cellHeight * static_cast<double>(face->units_per_EM) / (ascent + descent);
}

FontFaces::FontFaces() = default;

FontFaces::~FontFaces() {
    for (OpenFace& open : faces_) {
        FT_Done_Face(open.face);
    }
    if (library_) {
        FT_Done_FreeType(library_);
    }
}

bool FontFaces::Open(FcConfig* config, const FontRequest& request, std::string* error) {
    config_ = config;
    request_ = request;
    if (!library_ && FT_Init_FreeType(&library_) != 0) {
        library_ = nullptr;
        *error = "FreeType could not start";
        return false;
    }
    FaceFile file;
    if (!MatchFace(config, request, &file)) {
        *error = "no font face found for \"" + request.faceName + "\"";
        return false;
    }
    // The cell height every face of this font is sized to.
    int cell = request.height > 0 ? request.height : kDefaultCellHeight;
    if (OpenFile(file, cell, error) < 0) {
        return false;
    }
    FT_Face face = faces_[0].face;
    double ascent = 0;
    double descent = 0;
    CellUnits(face, &ascent, &descent);
    if (request.height < 0) {
        // A negative height is the em size; the cell follows from the face.
        double em = -static_cast<double>(request.height);
        cell = std::max(
            1, static_cast<int>(std::lround(em * (ascent + descent) / face->units_per_EM)));
    }
    ascent_ = static_cast<int>(std::lround(cell * ascent / (ascent + descent)));
    descent_ = cell - ascent_;
    return true;
}

int FontFaces::OpenFile(const FaceFile& file, int cellHeight, std::string* error) {
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0) {
        *error = "cannot open font file " + file.path;
        return -1;
    }
    if (FT_IS_SCALABLE(face)) {
        double pixels = request_.height < 0 ? -static_cast<double>(request_.height)
                                            : PixelSizeForCellHeight(face, cellHeight);
        double xPixels = pixels;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (request_.width > 0 && os2 && os2->xAvgCharWidth > 0) {
            // The width asks for an average character width: stretch the face
            // horizontally so that its average width comes out at that size.
            double average = pixels * os2->xAvgCharWidth / face->units_per_EM;
            xPixels = pixels * request_.width / average;
        }
        if (FT_Set_Char_Size(face, static_cast<FT_F26Dot6>(std::lround(xPixels * 64)),
                             static_cast<FT_F26Dot6>(std::lround(pixels * 64)), 72, 72) != 0) {
            FT_Done_Face(face);
            *error = "cannot size font file " + file.path;
            return -1;
        }
    } else if (face->num_fixed_sizes > 0) {
        // Bitmap-only face: the strike closest to the cell height.
        int best = 0;
        for (int i = 1; i < face->num_fixed_sizes; ++i) {
            if (std::abs(face->available_sizes[i].height - cellHeight) <
                std::abs(face->available_sizes[best].height - cellHeight)) {
                best = i;
            }
        }
        FT_Select_Size(face, best);
    }
    faces_.push_back(OpenFace{file, face});
    return static_cast<int>(faces_.size()) - 1;
}

GlyphSource FontFaces::Find(char32_t codePoint) {
    if (codePoint < kAsciiCount && asciiFound_[codePoint]) {
        return ascii_[codePoint];
    }
    auto known = found_.find(codePoint);
    if (known != found_.end()) {
        return known->second;
    }
    GlyphSource source;  // the primary face's missing-glyph box
    bool have = false;
    for (size_t i = 0; i < faces_.size() && !have; ++i) {
        FT_UInt glyph = FT_Get_Char_Index(faces_[i].face, codePoint);
        if (glyph != 0) {
            source = GlyphSource{static_cast<int>(i), glyph};
            have = true;
        }
    }
    FaceFile file;
    if (!have && !faces_.empty() && MatchFaceForChar(config_, request_, codePoint, &file)) {
        bool alreadyOpen = std::any_of(faces_.begin(), faces_.end(), [&](const OpenFace& f) {
            return f.file.path == file.path && f.file.index == file.index;
        });
        std::string ignored;
        int cell = CellHeight() > 0 ? CellHeight() : kDefaultCellHeight;
        int index = alreadyOpen ? -1 : OpenFile(file, cell, &ignored);
        if (index >= 0) {
            FT_UInt glyph = FT_Get_Char_Index(faces_[index].face, codePoint);
            if (glyph != 0) {
                source = GlyphSource{index, glyph};
            }
        }
    }
    if (codePoint < kAsciiCount) {
        ascii_[codePoint] = source;
        asciiFound_[codePoint] = true;
    } else {
        found_.emplace(codePoint, source);
    }
    return source;
}

bool FontFaces::Render(GlyphSource source, GlyphBitmap* bitmap) {
    if (source.face < 0 || source.face >= FaceCount()) {
        return false;
    }
    const OpenFace& open = faces_[source.face];
    FT_Face face = open.face;
    // Outlines only: embedded bitmap strikes would mix 1-bit glyphs into
    // antialiased text.
    FT_Int32 flags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL;
    if (FT_IS_SCALABLE(face)) {
        flags |= FT_LOAD_NO_BITMAP;
    }
    if (FT_Load_Glyph(face, source.glyph, flags) != 0) {
        return false;
    }
    FT_GlyphSlot slot = face->glyph;
    if (open.file.embolden) {
        FT_GlyphSlot_Embolden(slot);
    }
    if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
        FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return false;
    }
    const FT_Bitmap& src = slot->bitmap;
    bitmap->width = static_cast<int>(src.width);
    bitmap->height = static_cast<int>(src.rows);
    bitmap->left = slot->bitmap_left;
    bitmap->top = slot->bitmap_top;
    bitmap->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    bitmap->pixels.resize(static_cast<size_t>(bitmap->width) * bitmap->height);
    for (int y = 0; y < bitmap->height; ++y) {
        const unsigned char* row = src.buffer + static_cast<ptrdiff_t>(y) * src.pitch;
        uint8_t* out = bitmap->pixels.data() + static_cast<size_t>(y) * bitmap->width;
        if (src.pixel_mode == FT_PIXEL_MODE_GRAY) {
            int levels = src.num_grays > 1 ? src.num_grays - 1 : 255;
            for (int x = 0; x < bitmap->width; ++x) {
                out[x] = static_cast<uint8_t>(row[x] * 255 / levels);
            }
        } else if (src.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < bitmap->width; ++x) {
                out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            }
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace gfx::font
