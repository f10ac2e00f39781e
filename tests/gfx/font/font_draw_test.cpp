// The HUD font on the OpenGL device: what lands in the back buffer.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <atomic>
#include <new>

#include "font_gl_fixture.h"
#include "platform/gfx/font/font_faces.h"
#include "platform/gfx/font/text_layout.h"

// Counts allocations, to check that known lines draw without allocating.
namespace {
std::atomic<long> allocations{0};
}  // namespace
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& t) noexcept {
    return operator new(size, t);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace fonttest {
namespace {

using gfx::Rect;

// "1 : 반사, 2 : 굴절" in code page 949.
constexpr char kReflectRefract[] = "1 : \xb9\xdd\xbb\xe7, 2 : \xb1\xbc\xc0\xfd";
// "[Camera회전] 마우스 R 버튼" in code page 949.
constexpr char kCameraTurn[] =
    "[Camera\xc8\xb8\xc0\xfc] \xb8\xb6\xbf\xec\xbd\xba R \xb9\xf6\xc6\xb0";
constexpr uint32_t kCyan = 0xFF00FFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;
const auto kIsRed = [](Rgb p) { return p.r > 128 && p.g < 128; };

// A glyph's ink (coverage > 50%) rendered straight from a face file with
// FreeType, sized so that the face's ascender-to-descender span is 20 pixels.
struct Ink {
    int width = 0, height = 0;
    std::vector<uint8_t> bits;
};
Ink RenderReference(const gfx::font::FaceFile& file, char32_t codePoint, bool missingGlyph) {
    Ink ink;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    FT_Init_FreeType(&library);
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) == 0) {
        FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, 20 * 64, 0, 0};
        FT_Request_Size(face, &request);
        FT_UInt glyph = missingGlyph ? 0 : FT_Get_Char_Index(face, codePoint);
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_RENDER) == 0) {
            const FT_Bitmap& b = face->glyph->bitmap;
            ink.width = static_cast<int>(b.width);
            ink.height = static_cast<int>(b.rows);
            for (int y = 0; y < ink.height; ++y)
                for (int x = 0; x < ink.width; ++x)
                    ink.bits.push_back(b.buffer[y * b.pitch + x] > 128);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ink;
}

// Best overlap (intersection over union) of the reference's ink with the
// picture's green ink anywhere in rows [top, bottom); x receives where.
double BestMatch(const Ink& ref, const Picture& picture, int top, int bottom, int* bestX) {
    double best = 0;
    const int refInk = static_cast<int>(std::count(ref.bits.begin(), ref.bits.end(), 1));
    for (int oy = top; oy + ref.height <= bottom; ++oy) {
        for (int ox = 0; ox + ref.width <= picture.width; ++ox) {
            int both = 0, screen = 0;
            for (int y = 0; y < ref.height; ++y) {
                for (int x = 0; x < ref.width; ++x) {
                    const int m = picture.At(ox + x, oy + y).g > 128;
                    screen += m;
                    both += m & ref.bits[y * ref.width + x];
                }
            }
            const double iou = both / static_cast<double>(refInk + screen - both);
            if (iou > best) {
                best = iou;
                *bestX = ox;
            }
        }
    }
    return best;
}

TEST_F(FontGlTest, HangulLineShowsTheFallbackFacesSyllablesInCyan) {
    Clear(kBlack);
    EXPECT_EQ(Draw(kReflectRefract, Rect{1, 50, 18 * 20, 70}, kCyan), 20);
    Picture picture = Capture();

    // The face the font falls back to for Hangul, rendered here on its own.
    gfx::font::FontFaces faces;
    gfx::font::FontRequest request{20, 0, 700, false, "Arial"};
    std::string error;
    ASSERT_TRUE(faces.Open(nullptr, request, &error)) << error;
    const int fallback = faces.Find(U'반').face;
    ASSERT_GT(fallback, 0);
    int previousX = -1;
    double weakest = 1.0;
    for (char32_t syllable : {U'반', U'사', U'굴', U'절'}) {
        int x = -1;
        const double match =
            BestMatch(RenderReference(faces.File(fallback), syllable, false), picture, 45, 75, &x);
        EXPECT_GT(match, 0.6) << "U+" << std::hex << uint32_t(syllable) << " " << picture.Save();
        EXPECT_GT(x, previousX) << "syllables out of order";
        previousX = x;
        weakest = std::min(weakest, match);
    }
    // A missing-glyph box matches far worse than the syllables do.
    int x = -1;
    EXPECT_LT(BestMatch(RenderReference(faces.File(0), 0, true), picture, 45, 75, &x),
              weakest - 0.2);
    EXPECT_EQ(picture.Count(1, 50, 360, 70, [](Rgb p) { return p.r != 0; }), 0);
    EXPECT_GT(picture.Count(1, 50, 360, 70, [](Rgb p) { return p == Rgb{0, 255, 255}; }), 100);
}

TEST_F(FontGlTest, TextIsClippedAtItsRectanglesRightEdgeAndBottom) {
    // The cell is 20 pixels; a 10-pixel-high rectangle cuts the capitals.
    Clear(kBlack);
    EXPECT_EQ(Draw("HHHHHHHHHH", Rect{10, 10, 60, 20}, kRed), 20);
    const Picture clipped = Capture();
    EXPECT_EQ(clipped.Count(0, 0, kWidth, 10, kIsRed) + clipped.Count(0, 0, 10, kHeight, kIsRed) +
                  clipped.Count(60, 0, kWidth, kHeight, kIsRed) +
                  clipped.Count(0, 20, kWidth, kHeight, kIsRed),
              0)
        << clipped.Save();
    EXPECT_GT(clipped.Count(58, 10, 60, 20, kIsRed), 0);  // the fourth H is cut through
    EXPECT_GT(clipped.Count(10, 19, 60, 20, kIsRed), 0);
    Clear(kBlack);
    Draw("HHHHHHHHHH", Rect{10, 10, 60, 20}, kRed, gfx::font::DT_NOCLIP);
    const Picture free = Capture();
    EXPECT_GT(free.Count(100, 10, kWidth, 20, kIsRed), 0);
    EXPECT_GT(free.Count(10, 20, 60, 30, kIsRed), 0);
}

TEST_F(FontGlTest, ColourAndAlphaBlendOverWhatIsThere) {
    Clear(0xFF0000FF);  // blue
    Draw("MMMMWW", Rect{10, 10, 300, 30}, kRed);
    Draw("MMMMWW", Rect{10, 60, 300, 80}, 0x80FF0000);
    Picture picture = Capture();
    int full = 0, edge = 0;
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 300; ++x) {
            const Rgb p = picture.At(x, y), half = picture.At(x, y + 50);
            if (p == Rgb{255, 0, 0}) {
                ++full;  // the half-transparent copy is half red, half blue
                ASSERT_TRUE(std::abs(half.r - 128) <= 2 && half.g == 0 &&
                            std::abs(half.b - 127) <= 2)
                    << half.r << "," << half.g << "," << half.b << " " << picture.Save();
            } else if (!(p == Rgb{0, 0, 255})) {
                ++edge;  // antialiased: a mix of red and blue
                ASSERT_TRUE(p.g == 0 && std::abs(p.r + p.b - 255) <= 2) << picture.Save();
            }
        }
    }
    EXPECT_GT(full, 100);
    EXPECT_GT(edge, 20);
}

TEST_F(FontGlTest, OddInputIsHarmlessAndFontsAreCountedAndCanFail) {
    const char invalid[] = {'\xff', '\xfe', 'A', '\x81'};  // ends in a cut-off lead byte
    Rect rect{0, 0, 300, 20};
    EXPECT_EQ(font->DrawTextA(nullptr, invalid, 4, &rect, 0, kRed), 20);
    EXPECT_EQ(Draw("\xc8\xff\x80", rect, kRed), 20);
    EXPECT_EQ(font->DrawTextA(nullptr, nullptr, -1, &rect, 0, kRed), 0);
    EXPECT_EQ(Draw("", rect, kRed), 0);
    EXPECT_EQ(font->DrawTextA(nullptr, "A", -1, nullptr, 0, kRed), 20);
    EXPECT_EQ(Draw("A", Rect{-5000, -5000, -4000, -4990}, kRed), 20);
    Clear(kBlack);
    Rect measure{10, 10, 10, 10};  // DT_CALCRECT measures without drawing
    EXPECT_EQ(font->DrawTextA(nullptr, "MMMM", -1, &measure, gfx::font::DT_CALCRECT, kRed), 20);
    EXPECT_EQ(measure.bottom, 30);
    EXPECT_GT(measure.right, 40);
    EXPECT_EQ(Capture().Count(0, 0, kWidth, kHeight, kIsRed), 0);

    const uint32_t live = device->GetLiveObjectCount();
    gfx::Font* second = CreateHudFont();
    EXPECT_EQ(device->GetLiveObjectCount(), live + 1);
    second->Release();
    FcConfig* empty = FcConfigCreate();  // knows no fonts at all
    gfx::Font* none = font;
    EXPECT_LT(gfx::font::CreateFontWithConfig(empty, device, 20, 0, 700, 0, "Arial", &none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(device->GetLiveObjectCount(), live);
    FcConfigDestroy(empty);
}

TEST_F(FontGlTest, HudLinesDrawWithoutAllocatingOnceTheirGlyphsAreKnown) {
    char line[128];
    auto frame = [&](float fps) {
        Clear(kBlack);
        device->BeginScene();
        std::snprintf(line, sizeof line, "FPS: %f", fps);
        Draw(line, Rect{1, 10, 280, 30}, kCyan);
        Draw(kReflectRefract, Rect{1, 30, 360, 50}, kCyan);
        Draw(kCameraTurn, Rect{1, 50, 520, 70}, kCyan);
        device->EndScene();
    };
    frame(0.0f);
    Draw("0123456789", Rect{1, 70, 300, 90}, kCyan);  // every digit
    frame(0.0f);
    const long before = allocations.load();
    for (int i = 0; i < 20; ++i) frame(60.0f + i * 0.37f);
    EXPECT_EQ(allocations.load() - before, 0);
}

// Texts whose vertices fill the vertex ring's segments exactly: every draw
// after the ring's end must wrap to its start, not write past it.
TEST_F(FontGlTest, TextsThatFillTheVertexRingExactlyWrapToItsStart) {
    // Eight glyphs are 48 vertices: 128 texts fill a 1024-glyph segment, 512
    // the whole ring of four.
    for (int i = 0; i < 512 + 200; ++i) {
        Clear(kBlack);
        EXPECT_EQ(Draw("HHHHHHHH", Rect{10, 10, 300, 30}, kRed), 20);
    }
    const Picture picture = Capture();
    EXPECT_GT(picture.Count(10, 10, 300, 30, kIsRed), 100) << picture.Save();
}

}  // namespace
}  // namespace fonttest
