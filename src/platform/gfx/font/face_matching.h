// fontconfig's side of a font: the face file it chooses for the requested
// name and weight, and the faces it prefers for a character the chosen face
// lacks (Korean faces for Hangul).
#pragma once

#include <cstdint>
#include <string>

typedef struct _FcConfig FcConfig;

namespace gfx::font {

// What the font was created with, in the units of the creation call.
struct FontRequest {
    // > 0: cell height in pixels (ascent + descent); < 0: character height
    // (em size) in pixels; 0: a default size.
    int32_t height = 0;
    // Average character width in pixels; 0 keeps the face's own proportions.
    uint32_t width = 0;
    // 100..900 as in OpenType (400 regular, 700 bold); 0 means regular.
    uint32_t weight = 400;
    bool italic = false;
    // Family name; empty means the system's sans-serif face.
    std::string faceName;
};

// A face file as fontconfig named it.
struct FaceFile {
    std::string path;
    int index = 0;
    std::string family;
    std::string style;
    int fcWeight = 0;       // fontconfig's weight scale (80 regular, 200 bold)
    bool embolden = false;  // fontconfig asks for synthetic bold
};

// fontconfig's choice of face for a request; config null means the current
// configuration. Returns false when fontconfig knows no face at all.
bool MatchFace(FcConfig* config, const FontRequest& request, FaceFile* face);

// The first face, in fontconfig's order of preference for the request, that
// has a glyph for the code point; Hangul code points prefer Korean faces.
bool MatchFaceForChar(FcConfig* config, const FontRequest& request, char32_t codePoint,
                      FaceFile* face);

}  // namespace gfx::font
