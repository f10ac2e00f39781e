// Textures from files (BMP, TGA, PNG, JPEG and DDS), cube maps and sampler
// filters, checked by sampling them in shaders of the tests' own. Files that
// are refused are in the hostile-file table (tests/hostile).
#include <stb_image_write.h>

#include <cstring>

#include "device_fixture.h"
#include "support/dds_files.h"

namespace gltest {
namespace {

using namespace gfx;
using Fmt = DdsFormat;

// Texture coordinates as Direct3D lays them over the screen: u right, v down.
const char* const kTexturedVertexShader = R"(#version 450 core
layout(location = 0) in vec3 position;
out vec2 uv;
void main() {
    uv = vec2(position.x * 0.5 + 0.5, 0.5 - position.y * 0.5);
    gl_Position = vec4(position, 1.0);
}
)";

const char* const kTexturedFragmentShader = R"(#version 450 core
layout(binding = 0) uniform sampler2D tex0;
layout(binding = 1) uniform sampler2D tex1;
uniform float lod;
uniform int unit;
in vec2 uv;
out vec4 fragColor;
void main() {
    vec4 c = unit == 0 ? texture(tex0, uv) : texture(tex1, uv);
    fragColor = lod < 0.0 ? c : textureLod(tex0, uv, lod);
}
)";

const char* const kCubeFragmentShader = R"(#version 450 core
layout(binding = 0) uniform samplerCube cube;
uniform vec3 direction;
out vec4 fragColor;
void main() { fragColor = texture(cube, direction); }
)";

constexpr Rgba kFaceColours[6] = {{255, 0, 0, 255},   {0, 255, 0, 255},   {0, 0, 255, 255},
                                  {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}};
constexpr Rgba kWhiteTexel{255, 255, 255, 255};

class TextureTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        if (!Ready()) return;
        textured = BuildProgram(kTexturedVertexShader, kTexturedFragmentShader);
        cubeProgram = BuildProgram(kFlatVertexShader, kCubeFragmentShader);
        Bind(Quad(-1, -1, 1, 1));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }
    void TearDown() override {
        if (Ready()) {
            gl::MakeCurrent(device);
            glUseProgram(0);
            glDeleteProgram(textured);
            glDeleteProgram(cubeProgram);
        }
        DeviceTest::TearDown();
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        return folder.Write(name, bytes);
    }

    Texture* Load(const std::string& path) {
        Texture* texture = nullptr;
        D3DXCreateTextureFromFileA(device, path.c_str(), &texture);
        return Keep(texture);
    }

    // Draws the whole screen sampling the texture on unit `unit` (lod < 0:
    // the sampler's choice) and reads the picture back.
    Picture DrawTextured(BaseTexture* texture, float lod = -1.0f, int unit = 0) {
        gl::FlushPendingDraws(device);
        gl::MakeCurrent(device);
        glUseProgram(textured);
        glUniform1f(glGetUniformLocation(textured, "lod"), lod);
        glUniform1i(glGetUniformLocation(textured, "unit"), unit);
        glBindTextureUnit(GLuint(unit), gl::GetTextureName(texture));
        Clear(0xFF000000);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        return Capture();
    }

    Rgb SampleCube(CubeTexture* cube, float x, float y, float z) {
        gl::FlushPendingDraws(device);
        gl::MakeCurrent(device);
        glUseProgram(cubeProgram);
        glUniform3f(glGetUniformLocation(cubeProgram, "direction"), x, y, z);
        glBindTextureUnit(0, gl::GetTextureName(cube));
        Clear(0xFF000000);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        return Capture().At(kWidth / 2, kHeight / 2);
    }

    GLuint textured = 0;
    GLuint cubeProgram = 0;
};

Rgb ToColor(Rgba c) { return Rgb{c.r, c.g, c.b}; }

TEST_F(TextureTest, CommonImageFormatsLoadWithTheirTopRowAtVZero) {
    // 8×8: top half red, bottom half blue.
    std::vector<uint8_t> rgba;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            rgba.insert(rgba.end(), {uint8_t(y < 4 ? 255 : 0), 0, uint8_t(y < 4 ? 0 : 255), 255});
    folder.Enter();
    ASSERT_TRUE(stbi_write_png("image.png", 8, 8, 4, rgba.data(), 32));
    ASSERT_TRUE(stbi_write_bmp("image.bmp", 8, 8, 4, rgba.data()));
    ASSERT_TRUE(stbi_write_tga("image.tga", 8, 8, 4, rgba.data()));
    ASSERT_TRUE(stbi_write_jpg("image.jpg", 8, 8, 4, rgba.data(), 100));
    for (const char* name : {"image.png", "image.bmp", "image.tga", "image.jpg"}) {
        SCOPED_TRACE(name);
        Texture* texture = Load(name);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetWidth(0), 8u);
        EXPECT_EQ(texture->GetLevelCount(), 4u);  // full mip chain
        EXPECT_EQ(gl::GetTextureTarget(texture), uint32_t(GL_TEXTURE_2D));
        Picture picture = DrawTextured(texture);
        int tolerance = std::string(name) == "image.jpg" ? 24 : 0;
        EXPECT_TRUE(picture.PixelIs(kWidth / 2, 4, kRed, tolerance));
        EXPECT_TRUE(picture.PixelIs(kWidth / 2, kHeight - 4, kBlue, tolerance));
        // The chain, generated when the texture was first handed out for
        // sampling: its 1 × 1 level is the picture's average.
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
        Picture smallest = DrawTextured(texture, 3.0f);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
        EXPECT_TRUE(smallest.PixelIs(kWidth / 2, kHeight / 2, Rgb{128, 0, 128}, tolerance + 2));
    }
}

TEST_F(TextureTest, DdsFormatsLoadWithTheirColours) {
    const Rgba colour{255, 0, 255, 255};
    for (Fmt f : {Fmt::A8R8G8B8, Fmt::X8R8G8B8, Fmt::A8B8G8R8, Fmt::DXT1, Fmt::DXT3, Fmt::DXT5}) {
        SCOPED_TRACE(int(f));
        std::string path =
            Write("format" + std::to_string(int(f)) + ".dds", SolidDds(f, 8, 8, 1, {{colour}}));
        Texture* texture = Load(path);
        ASSERT_NE(texture, nullptr);
        EXPECT_TRUE(DrawTextured(texture).PixelIs(kWidth / 2, kHeight / 2, kMagenta, 4));
    }
}

TEST_F(TextureTest, XrgbSamplesOpaqueAndArgbKeepsAlpha) {
    const Rgba half{0, 255, 0, 0};  // stored alpha 0
    Texture* xrgb = Load(Write("x.dds", SolidDds(Fmt::X8R8G8B8, 4, 4, 1, {{half}})));
    Texture* argb = Load(Write("a.dds", SolidDds(Fmt::A8R8G8B8, 4, 4, 1, {{half}})));
    ASSERT_NE(xrgb, nullptr);
    ASSERT_NE(argb, nullptr);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);  // alpha decides what shows
    EXPECT_TRUE(DrawTextured(xrgb).PixelIs(kWidth / 2, kHeight / 2, kGreen));
    EXPECT_TRUE(DrawTextured(argb).PixelIs(kWidth / 2, kHeight / 2, kBlack));
}

TEST_F(TextureTest, DdsMipChainIsLoadedLevelByLevel) {
    std::vector<std::vector<Rgba>> colours = {
        {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}}};
    Texture* texture = Load(Write("mips.dds", SolidDds(Fmt::A8R8G8B8, 4, 4, 3, colours)));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 3u);
    EXPECT_EQ(texture->GetWidth(1), 2u);
    EXPECT_EQ(texture->GetHeight(2), 1u);
    EXPECT_EQ(texture->GetWidth(3), 0u);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    for (int level = 0; level < 3; ++level) {
        EXPECT_TRUE(DrawTextured(texture, float(level))
                        .PixelIs(kWidth / 2, kHeight / 2, ToColor(colours[0][level])));
    }
}

TEST_F(TextureTest, MagFilterOfEachSamplerIsApplied) {
    // 2×1: black on the left, white on the right.
    std::vector<uint8_t> file = assetgen::EncodeDdsHeader(Fmt::A8R8G8B8, 2, 1, 1, false);
    file.insert(file.end(), {0, 0, 0, 255, 255, 255, 255, 255});
    Texture* texture = Load(Write("ramp.dds", file));
    ASSERT_NE(texture, nullptr);
    for (int unit = 0; unit < 2; ++unit) {
        SCOPED_TRACE(unit);
        Picture point = DrawTextured(texture, -1, unit);  // point sampling by default
        EXPECT_TRUE(point.PixelIs(kWidth / 4, kHeight / 2, kBlack));
        EXPECT_TRUE(point.PixelIs(kWidth / 2 + 1, kHeight / 2, kWhite));
        ASSERT_EQ(device->SetSamplerState(uint32_t(unit), D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), S_OK);
        Picture linear = DrawTextured(texture, -1, unit);
        EXPECT_NEAR(linear.At(kWidth / 2, kHeight / 2).r, 128, 12);
        EXPECT_TRUE(linear.PixelIs(kWidth / 4, kHeight / 2, kBlack, 6));  // a texel centre
    }
}

TEST_F(TextureTest, CubeFacesComeInOrderAndTheirRowsRunTopDown) {
    // Each face: its own colour in the upper half, white in the lower half.
    std::vector<uint8_t> file = assetgen::EncodeDdsHeader(Fmt::A8R8G8B8, 8, 8, 1, true);
    for (const Rgba& colour : kFaceColours) {
        std::vector<uint8_t> level = DdsLevel(Fmt::A8R8G8B8, 8, 8, colour, kWhiteTexel);
        file.insert(file.end(), level.begin(), level.end());
    }
    Write("cubes/env.dds", file);
    folder.Enter();
    CubeTexture* cube = nullptr;
    ASSERT_EQ(D3DXCreateCubeTextureFromFileA(device, ".\\cubes\\env.dds", &cube), S_OK);
    Keep(cube);
    EXPECT_EQ(cube->GetEdgeLength(0), 8u);
    EXPECT_EQ(gl::GetTextureTarget(cube), uint32_t(GL_TEXTURE_CUBE_MAP));
    struct Face {
        const char* name;
        float axis[3];
        float up[3];  // towards the face's first row
    } faces[6] = {{"+X", {1, 0, 0}, {0, 1, 0}},  {"-X", {-1, 0, 0}, {0, 1, 0}},
                  {"+Y", {0, 1, 0}, {0, 0, -1}}, {"-Y", {0, -1, 0}, {0, 0, 1}},
                  {"+Z", {0, 0, 1}, {0, 1, 0}},  {"-Z", {0, 0, -1}, {0, 1, 0}}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(faces[i].name);
        const float* a = faces[i].axis;
        const float* u = faces[i].up;
        EXPECT_TRUE(
            ColourNear(SampleCube(cube, a[0] + 0.5f * u[0], a[1] + 0.5f * u[1], a[2] + 0.5f * u[2]),
                       ToColor(kFaceColours[i])));
        EXPECT_TRUE(ColourNear(
            SampleCube(cube, a[0] - 0.5f * u[0], a[1] - 0.5f * u[1], a[2] - 0.5f * u[2]), kWhite));
    }
}

TEST_F(TextureTest, CompressedCubeMapWithMipsLoads) {
    std::vector<std::vector<Rgba>> colours;
    for (const Rgba& c : kFaceColours) colours.push_back({c});
    CubeTexture* cube = nullptr;
    ASSERT_EQ(device->CreateCubeTextureFromFile(
                  Write("dxt.dds", SolidDds(Fmt::DXT1, 16, 16, 5, colours)).c_str(), &cube),
              S_OK);
    Keep(cube);
    EXPECT_EQ(cube->GetLevelCount(), 5u);
    EXPECT_EQ(cube->GetEdgeLength(4), 1u);
    EXPECT_TRUE(ColourNear(SampleCube(cube, 0, 0, -1), ToColor(kFaceColours[5]), 4));
    EXPECT_TRUE(ColourNear(SampleCube(cube, 0, 1, 0), ToColor(kFaceColours[2]), 4));
}

// A texture made in memory: each LockRect writes only its rectangle, rows
// from the top, bytes B, G, R, A; X8R8G8B8 samples opaque.
TEST_F(TextureTest, TexturesMadeInMemoryTakeWhatEachLockWrites) {
    for (Format format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        SCOPED_TRACE(format);
        Texture* texture = nullptr;
        ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, format, D3DPOOL_MANAGED, &texture), S_OK);
        Keep(texture);
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), S_OK);
        for (int y = 0; y < 2; ++y) {
            auto* row = static_cast<uint8_t*>(locked.bits) + y * locked.pitch;
            for (int x = 0; x < 2; ++x) {
                const uint8_t bgra[4] = {0, 0, 255, 255};  // red
                std::memcpy(row + 4 * x, bgra, 4);
            }
        }
        ASSERT_EQ(texture->UnlockRect(0), S_OK);
        const Rect bottomRight{1, 1, 2, 2};
        ASSERT_EQ(texture->LockRect(0, &locked, &bottomRight, 0), S_OK);
        const uint8_t green[4] = {0, 255, 0, 0};  // alpha 0
        std::memcpy(locked.bits, green, 4);
        ASSERT_EQ(texture->UnlockRect(0), S_OK);
        Picture picture = DrawTextured(texture);
        EXPECT_TRUE(picture.PixelIs(kWidth / 4, kHeight / 4, kRed));
        EXPECT_TRUE(picture.PixelIs(kWidth * 3 / 4, kHeight / 4, kRed));
        EXPECT_TRUE(picture.PixelIs(kWidth * 3 / 4, kHeight * 3 / 4, kGreen));
        if (format == D3DFMT_A8R8G8B8) {
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);  // the green texel's alpha 0
            EXPECT_TRUE(DrawTextured(texture).PixelIs(kWidth * 3 / 4, kHeight * 3 / 4, kBlack));
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        }
    }
}

}  // namespace
}  // namespace gltest
