#include "platform/gfx/font/face_matching.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>

namespace gfx::font {

namespace {

bool IsHangul(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x3130 && c <= 0x318F) ||
           (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF);
}

// The request as a fontconfig pattern, with the configuration's and the
// default substitutions applied (this is where "Arial" becomes a
// metric-compatible family).
FcPattern* RequestPattern(FcConfig* config, const FontRequest& request, const char* lang,
                          char32_t codePoint) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) {
        return nullptr;
    }
    const char* family = request.faceName.empty() ? "sans-serif" : request.faceName.c_str();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    int weight =
        request.weight == 0 ? 400 : static_cast<int>(std::clamp(request.weight, 1u, 1000u));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (lang) {
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    }
    if (codePoint != 0) {
        FcCharSet* chars = FcCharSetCreate();
        FcCharSetAddChar(chars, codePoint);
        FcPatternAddCharSet(pattern, FC_CHARSET, chars);
        FcCharSetDestroy(chars);
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

std::string StringOf(FcPattern* pattern, const char* object) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, 0, &value) == FcResultMatch && value) {
        return reinterpret_cast<const char*>(value);
    }
    return {};
}

// Reads a matched (render-prepared) pattern; false when it names no file.
bool ReadFaceFile(FcPattern* match, FaceFile* face) {
    face->path = StringOf(match, FC_FILE);
    if (face->path.empty()) {
        return false;
    }
    face->family = StringOf(match, FC_FAMILY);
    face->style = StringOf(match, FC_STYLE);
    face->index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &face->index);
    face->fcWeight = 0;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &face->fcWeight);
    FcBool embolden = FcFalse;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    face->embolden = embolden == FcTrue;
    return true;
}

}  // namespace

bool MatchFace(FcConfig* config, const FontRequest& request, FaceFile* face) {
    FcPattern* pattern = RequestPattern(config, request, nullptr, 0);
    if (!pattern) {
        return false;
    }
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) {
        return false;
    }
    bool ok = ReadFaceFile(match, face);
    FcPatternDestroy(match);
    return ok;
}

bool MatchFaceForChar(FcConfig* config, const FontRequest& request, char32_t codePoint,
                      FaceFile* face) {
    FcPattern* pattern =
        RequestPattern(config, request, IsHangul(codePoint) ? "ko" : nullptr, codePoint);
    if (!pattern) {
        return false;
    }
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    bool found = false;
    for (int i = 0; sorted && i < sorted->nfont && !found; ++i) {
        FcCharSet* chars = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
            !FcCharSetHasChar(chars, codePoint)) {
            continue;
        }
        FcPattern* prepared = FcFontRenderPrepare(config, pattern, sorted->fonts[i]);
        if (prepared) {
            found = ReadFaceFile(prepared, face);
            FcPatternDestroy(prepared);
        }
    }
    if (sorted) {
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return found;
}

}  // namespace gfx::font
