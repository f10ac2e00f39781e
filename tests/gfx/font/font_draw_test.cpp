// The HUD font on the OpenGL device: what lands in the back buffer.
#include <epoxy/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <new>

#include "font_gl_fixture.h"
#include "platform/gfx/font/font.h"
#include "platform/gfx/font/font_faces.h"
#include "platform/gfx/font/text_layout.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"

// Counts allocations so that a test can check that drawing known lines
// allocates nothing once their glyphs are in the atlas.
namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
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
constexpr char kCameraTurn[] = "[Camera\xc8\xb8\xc0\xfc] \xb8\xb6\xbf\xec\xbd\xba R \xb9\xf6\xc6\xb0";

constexpr uint32_t kOpaqueCyan = 0xFF00FFFF;
constexpr uint32_t kOpaqueRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;

// A glyph rendered straight from a face file with FreeType, sized so that
// the face's ascender-to-descender span is 20 pixels: 1 where coverage > 50%.
struct Reference {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> ink;
};

Reference RenderReference(const std::string& path, int index, char32_t codePoint,
                          bool missingGlyph = false) {
    Reference out;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return out;
    }
    if (FT_New_Face(library, path.c_str(), index, &face) == 0) {
        FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_REAL_DIM, 0, 20 * 64, 0, 0};
        FT_Request_Size(face, &request);
        FT_UInt glyph = missingGlyph ? 0 : FT_Get_Char_Index(face, codePoint);
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_BITMAP | FT_LOAD_RENDER) == 0) {
            const FT_Bitmap& bitmap = face->glyph->bitmap;
            out.width = static_cast<int>(bitmap.width);
            out.height = static_cast<int>(bitmap.rows);
            for (int y = 0; y < out.height; ++y) {
                for (int x = 0; x < out.width; ++x) {
                    out.ink.push_back(bitmap.buffer[y * bitmap.pitch + x] > 128 ? 1 : 0);
                }
            }
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return out;
}

// The best overlap (intersection over union) of the reference's ink with the
// picture's ink anywhere in the band of rows [top, bottom); x receives where.
double BestMatch(const Reference& ref, const std::vector<uint8_t>& mask, int width, int top,
                 int bottom, int* bestX) {
    double best = 0;
    const int refInk = static_cast<int>(std::count(ref.ink.begin(), ref.ink.end(), 1));
    for (int oy = top; oy + ref.height <= bottom; ++oy) {
        for (int ox = 0; ox + ref.width <= width; ++ox) {
            int both = 0;
            int screen = 0;
            for (int y = 0; y < ref.height; ++y) {
                for (int x = 0; x < ref.width; ++x) {
                    const uint8_t m = mask[static_cast<size_t>(oy + y) * width + ox + x];
                    screen += m;
                    both += m & ref.ink[y * ref.width + x];
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

TEST_F(FontGlTest, HangulLineShowsTheFallbackFacesSyllables) {
    Clear(kBlack);
    Rect rect{1, 50, 18 * 20, 70};
    EXPECT_EQ(font->DrawTextA(nullptr, kReflectRefract, -1, &rect, 0, kOpaqueCyan), 20);
    Picture picture = Capture();
    const std::vector<uint8_t> mask = InkMask(picture, 1, 0);

    // The fallback face the font uses for Hangul, opened here on its own.
    gfx::font::FontFaces faces;
    std::string error;
    gfx::font::FontRequest request;
    request.height = 20;
    request.weight = 700;
    request.faceName = "Arial";
    ASSERT_TRUE(faces.Open(nullptr, request, &error)) << error;
    const gfx::font::GlyphSource source = faces.Find(U'반');
    ASSERT_GT(source.face, 0);
    const gfx::font::FaceFile& file = faces.File(source.face);
    EXPECT_NE(file.family.find("Nanum"), std::string::npos) << file.family;

    const char32_t syllables[] = {U'반', U'사', U'굴', U'절'};
    int previousX = -1;
    double weakest = 1.0;
    for (char32_t syllable : syllables) {
        Reference ref = RenderReference(file.path, file.index, syllable);
        ASSERT_GT(ref.width, 8);
        int x = -1;
        const double match = BestMatch(ref, mask, picture.width, 45, 75, &x);
        std::printf("U+%04X best overlap %.2f at x %d\n", static_cast<unsigned>(syllable), match, x);
        EXPECT_GT(match, 0.6) << "syllable U+" << std::hex << static_cast<uint32_t>(syllable)
                              << "; picture " << SaveForFailure(picture, "");
        EXPECT_GT(x, previousX) << "syllables out of order";
        previousX = x;
        weakest = std::min(weakest, match);
    }
    // A missing-glyph box matches far worse than any of the syllables does.
    Reference box = RenderReference(faces.File(0).path, faces.File(0).index, 0, true);
    ASSERT_GT(box.width, 0);
    int x = -1;
    const double boxMatch = BestMatch(box, mask, picture.width, 45, 75, &x);
    std::printf("missing-glyph box best overlap %.2f\n", boxMatch);
    EXPECT_LT(boxMatch, weakest - 0.2);
    // The text is cyan: green and blue at full strength, no red.
    int cyan = 0;
    for (int yy = 50; yy < 70; ++yy) {
        for (int xx = 1; xx < 360; ++xx) {
            const Rgb p = picture.At(xx, yy);
            EXPECT_EQ(p.r, 0);
            cyan += p == Rgb{0, 255, 255} ? 1 : 0;
        }
    }
    EXPECT_GT(cyan, 100);
}

// Bounding box of the red ink.
struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Box RedInk(const Picture& picture) {
    Box box;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            if (picture.At(x, y).r > 128) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

TEST_F(FontGlTest, TextIsClippedAtItsRectanglesRightEdgeAndBottom) {
    // The cell is 20 pixels; a 10-pixel-high rectangle cuts the capitals.
    Rect rect{10, 10, 60, 20};
    Clear(kBlack);
    EXPECT_EQ(font->DrawTextA(nullptr, "HHHHHHHHHH", -1, &rect, 0, kOpaqueRed), 20);
    Box clipped = RedInk(Capture());
    EXPECT_GE(clipped.left, 10);
    EXPECT_GE(clipped.top, 10);
    EXPECT_EQ(clipped.right, 60);   // the fourth H is cut through its stems
    EXPECT_EQ(clipped.bottom, 20);  // the capitals reach further down

    Clear(kBlack);
    font->DrawTextA(nullptr, "HHHHHHHHHH", -1, &rect, gfx::font::DT_NOCLIP, kOpaqueRed);
    Box free = RedInk(Capture());
    EXPECT_GT(free.right, 100);
    EXPECT_GE(free.bottom, 25);
    EXPECT_EQ(free.left, clipped.left);
    EXPECT_EQ(free.top, clipped.top);
}

TEST_F(FontGlTest, ColourAndAlphaBlendOverWhatIsThere) {
    Clear(0xFF0000FF);  // blue
    Rect opaque{10, 10, 300, 30};
    Rect half{10, 60, 300, 80};
    font->DrawTextA(nullptr, "MMMMWW", -1, &opaque, 0, kOpaqueRed);
    font->DrawTextA(nullptr, "MMMMWW", -1, &half, 0, 0x80FF0000);
    Picture picture = Capture();
    int full = 0;
    int partial = 0;
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 300; ++x) {
            const Rgb p = picture.At(x, y);
            if (p == Rgb{255, 0, 0}) {
                ++full;
                const Rgb blended = picture.At(x, y + 50);
                EXPECT_NEAR(blended.r, 128, 2) << SaveForFailure(picture, "");
                EXPECT_EQ(blended.g, 0);
                EXPECT_NEAR(blended.b, 127, 2);
            } else if (p != Rgb{0, 0, 255}) {
                ++partial;  // antialiased edge: a mix of red and blue
                EXPECT_EQ(p.g, 0);
                EXPECT_NEAR(p.r + p.b, 255, 2);
            }
        }
    }
    EXPECT_GT(full, 100);
    EXPECT_GT(partial, 20);
}

TEST_F(FontGlTest, DrawsThatWereStillPendingLandUnderTheText) {
    const gfx::VertexElement elements[] = {
        {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
        gfx::D3DDECL_END};
    const float cover[] = {-1, -1, 0.5f, -1, 3, 0.5f, 3, -1, 0.5f};
    gfx::VertexDeclaration* declaration = nullptr;
    gfx::VertexBuffer* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), gfx::S_OK);
    ASSERT_EQ(device->CreateVertexBuffer(sizeof cover, 0, 0, gfx::D3DPOOL_MANAGED, &buffer, nullptr),
              gfx::S_OK);
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, cover, sizeof cover);
    buffer->Unlock();

    gfx::gl::MakeCurrent(device);
    const char* vs = "#version 450 core\nlayout(location=0) in vec3 p;\n"
                     "void main(){gl_Position=vec4(p,1.0);}\n";
    const char* fs = "#version 450 core\nout vec4 c;\nvoid main(){c=vec4(1.0);}\n";
    GLuint program = glCreateProgram();
    for (auto [type, source] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
        GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);

    Clear(kBlack);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE);
    device->SetVertexDeclaration(declaration);
    device->SetStreamSource(0, buffer, 0, 12);
    glUseProgram(program);
    // One triangle: the device may hold it back to merge it with the next.
    device->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 1);
    Rect rect{10, 10, 200, 30};
    font->DrawTextA(nullptr, "MMMM", -1, &rect, 0, kOpaqueRed);
    Picture picture = Capture();
    int red = 0;
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 200; ++x) {
            red += picture.At(x, y) == Rgb{255, 0, 0} ? 1 : 0;
        }
    }
    EXPECT_GT(red, 100) << SaveForFailure(picture, "");
    EXPECT_EQ(picture.At(300, 150), (Rgb{255, 255, 255}));

    gfx::gl::MakeCurrent(device);
    glUseProgram(0);
    glDeleteProgram(program);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetVertexDeclaration(nullptr);
    buffer->Release();
    declaration->Release();
}

TEST_F(FontGlTest, InvalidBytesAndOddArgumentsDoNotCrash) {
    Clear(kBlack);
    Rect rect{0, 0, 300, 20};
    const char invalid[] = {'\xff', '\xfe', 'A', '\x81'};
    EXPECT_EQ(font->DrawTextA(nullptr, invalid, 4, &rect, 0, kOpaqueRed), 20);
    EXPECT_EQ(font->DrawTextA(nullptr, "\xc8\xff\x80", -1, &rect, 0, kOpaqueRed), 20);
    EXPECT_EQ(font->DrawTextA(nullptr, nullptr, -1, &rect, 0, kOpaqueRed), 0);
    EXPECT_EQ(font->DrawTextA(nullptr, "", -1, &rect, 0, kOpaqueRed), 0);
    EXPECT_EQ(font->DrawTextA(nullptr, "A", -1, nullptr, 0, kOpaqueRed), 20);
    Rect inverted{100, 100, 0, 0};
    EXPECT_EQ(font->DrawTextA(nullptr, "A", -1, &inverted, 0, kOpaqueRed), 20);
    Rect outside{-5000, -5000, -4000, -4990};
    EXPECT_EQ(font->DrawTextA(nullptr, "A", -1, &outside, 0, kOpaqueRed), 20);
    // DT_CALCRECT measures without drawing.
    Clear(kBlack);
    Rect measure{10, 10, 10, 10};
    EXPECT_EQ(font->DrawTextA(nullptr, "MMMM", -1, &measure, gfx::font::DT_CALCRECT, kOpaqueRed),
              20);
    EXPECT_EQ(measure.bottom, 30);
    EXPECT_GT(measure.right, 40);
    EXPECT_EQ(RedInk(Capture()).right, -1);
}

TEST_F(FontGlTest, FontsCountAsLiveObjectsAndMissingFacesFailCreation) {
    const uint32_t before = device->GetLiveObjectCount();
    gfx::Font* second = CreateHudFont();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(device->GetLiveObjectCount(), before + 1);
    second->Release();
    EXPECT_EQ(device->GetLiveObjectCount(), before);

    FcConfig* empty = FcConfigCreate();
    gfx::Font* none = font;  // must be cleared
    EXPECT_LT(gfx::font::CreateFontWithConfig(empty, device, 20, 0, 700, 0, "Arial", &none), 0);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(device->GetLiveObjectCount(), before);
    FcConfigDestroy(empty);
}

TEST_F(FontGlTest, HudLinesDrawWithoutAllocatingOnceTheirGlyphsAreKnown) {
    char line[128];
    auto frame = [&](float fps) {
        Clear(kBlack);
        device->BeginScene();
        std::snprintf(line, sizeof line, "FPS: %f", fps);
        Rect r1{1, 10, 280, 30};
        font->DrawTextA(nullptr, line, -1, &r1, 0, kOpaqueCyan);
        Rect r2{1, 30, 600, 50};
        font->DrawTextA(nullptr, kReflectRefract, -1, &r2, 0, kOpaqueCyan);
        Rect r3{1, 50, 520, 70};
        font->DrawTextA(nullptr, kCameraTurn, -1, &r3, 0, kOpaqueCyan);
        device->EndScene();
    };
    frame(0.0f);
    Rect digits{1, 70, 300, 90};
    font->DrawTextA(nullptr, "0123456789", -1, &digits, 0, kOpaqueCyan);  // every digit
    frame(0.0f);
    const long before = allocations.load();
    for (int i = 0; i < 20; ++i) {
        frame(60.0f + i * 0.37f);
    }
    EXPECT_EQ(allocations.load() - before, 0);
}

}  // namespace
}  // namespace fonttest
