// Effects on the OpenGL device, checked on the pixels they draw.
#include <cmath>
#include <limits>

#include "effect_gl_fixture.h"

namespace effecttest {
namespace {

using namespace gfx;

constexpr float kPi = 3.14159265f;
const std::string kShippedEffect = std::string(RR_RUN_DIR) + "/Shaders/ReflectionOrRefraction.fx";

// A flat-coloured effect: one matrix, one colour. The matrix is declared
// with HLSL's default packing or as row_major.
std::string FlatEffect(const char* matrixDeclaration) {
    return std::string(matrixDeclaration) + R"( matWorldViewProjection;
float4 Color;
float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1.0), matWorldViewProjection); }
float4 PS() : COLOR0 { return Color; }
technique Flat { pass { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }
)";
}

// Where the math library puts a point on the 128 × 128 screen.
void ToPixel(const Vector3& point, const Matrix4& transform, int* x, int* y) {
    Vector3 ndc = Vec3TransformCoord(point, transform);
    *x = static_cast<int>((ndc.x + 1.0f) * 0.5f * 128);
    *y = static_cast<int>((1.0f - ndc.y) * 0.5f * 128);
}

TEST_F(EffectGlTest, ShippedEffectHasItsTechniquePassesAndParameters) {
    std::string errors;
    Effect* effect = CreateEffect(kShippedEffect, &errors);
    ASSERT_NE(effect, nullptr) << errors;
    EXPECT_EQ(errors, "") << "warnings were handed back";
    EffectHandle technique = effect->GetTechniqueByName("TShader");
    ASSERT_NE(technique, nullptr);
    EXPECT_EQ(effect->GetTechniqueByName("Missing"), nullptr);
    EXPECT_EQ(effect->SetTechnique(technique), S_OK);
    CubeTexture* cube = CreateColorCube();
    Matrix4 identity;
    Vector4 position{1, 2, 3, 1};
    EXPECT_EQ(effect->SetTexture("EnvironmentMap", cube), S_OK);
    EXPECT_EQ(effect->SetMatrix("matViewProjection", &identity), S_OK);
    EXPECT_EQ(effect->SetMatrix("matWorldView", &identity), S_OK);
    EXPECT_EQ(effect->SetMatrix("matWorldViewProjection", &identity), S_OK);
    EXPECT_EQ(effect->SetMatrix("matWorldViewInverseTranspose", &identity), S_OK);
    EXPECT_EQ(effect->SetVector("vViewPosition", &position), S_OK);
    EXPECT_EQ(effect->SetFloat("fRef", 2.0f), S_OK);
    // Names the effect lacks, and values of the wrong kind, change nothing.
    EXPECT_TRUE(Failed(effect->SetFloat("NotThere", 1.0f)));
    EXPECT_TRUE(Failed(effect->SetMatrix("fRef", &identity)));
    EXPECT_TRUE(Failed(effect->SetFloat("EnvironmentMap", 1.0f)));
    uint32_t passes = 1;
    ASSERT_EQ(effect->Begin(&passes, 0), S_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_TRUE(Failed(effect->BeginPass(2)));
    EXPECT_EQ(effect->BeginPass(1), S_OK);
    EXPECT_TRUE(Failed(effect->BeginPass(0)));  // a pass is already running
    EXPECT_EQ(effect->EndPass(), S_OK);
    EXPECT_EQ(effect->End(), S_OK);
    // The effect holds the texture until it lets go of it.
    EXPECT_EQ(cube->Release(), 1u);
    EXPECT_EQ(effect->Release(), 0u);
}

TEST_F(EffectGlTest, FailuresHandBackTextsNamingFileAndLine) {
    std::string errors;
    std::string broken = WriteFile("broken.fx",
                                   "float4 Color;\n"
                                   "float4 VS(float3 p : POSITION) : POSITION\n"
                                   "{ return float4(p, 1) * missingValue; }\n"
                                   "float4 PS() : COLOR0 { return Color; }\n"
                                   "technique T { pass { VertexShader = compile "
                                   "vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); } }\n");
    EXPECT_EQ(CreateEffect(broken, &errors), nullptr);
    EXPECT_NE(errors.find("broken.fx(3,25): error: 'missingValue' : unknown variable"),
              std::string::npos)
        << errors;

    EXPECT_EQ(CreateEffect("no/such/effect.fx", &errors), nullptr);
    EXPECT_NE(errors.find("no/such/effect.fx"), std::string::npos) << errors;

    std::string empty = WriteFile("nopass.fx", "float4 f;\ntechnique T\n{\n}\n");
    EXPECT_EQ(CreateEffect(empty, &errors), nullptr);
    EXPECT_NE(errors.find("nopass.fx(2,1): error: technique 'T' has no pass"), std::string::npos)
        << errors;

    // Without an errors buffer the failure is the same, quietly.
    Effect* effect = nullptr;
    EXPECT_EQ(D3DXCreateEffectFromFileA(device, broken.c_str(), nullptr, nullptr, 0, nullptr,
                                        &effect, nullptr),
              E_FAIL);
    EXPECT_EQ(effect, nullptr);
}

class MatrixSenseTest : public EffectGlTest, public testing::WithParamInterface<const char*> {};

// mul(p, M) in the effect is p × M for the Matrix4 given, whatever the
// matrix's packing in the effect.
TEST_P(MatrixSenseTest, TriangleLandsWhereTheMathLibrarySays) {
    Effect* effect = CreateEffect(WriteFile("flat.fx", FlatEffect(GetParam())));
    ASSERT_NE(effect, nullptr);
    const Matrix4 transform = MatrixRotationZ(0.4f) * MatrixTranslation(1.5f, 0.8f, 4.0f) *
                              MatrixPerspectiveFovLH(kPi / 3, 1.0f, 0.5f, 50.0f);
    const Vector3 centre(-0.9f, -0.3f, 1.0f);
    SetVertices({{{centre.x - 0.2f, centre.y - 0.2f, centre.z}, {}},
                 {{centre.x, centre.y + 0.25f, centre.z}, {}},
                 {{centre.x + 0.2f, centre.y - 0.2f, centre.z}, {}}});
    Vector4 red{1, 0, 0, 1};
    effect->SetMatrix("matWorldViewProjection", &transform);
    effect->SetVector("Color", &red);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    Clear(0xFF000000);
    device->BeginScene();
    uint32_t passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    effect->EndPass();
    effect->End();
    device->EndScene();
    picture = Capture();
    int x = 0, y = 0;
    ToPixel(Vector3(centre.x, centre.y - 0.05f, centre.z), transform, &x, &y);
    ASSERT_TRUE(x > 4 && x < kWidth - 4 && y > 4 && y < kHeight - 4) << x << "," << y;
    Rgb inside = picture.At(x, y);
    EXPECT_GT(inside.r, 200) << "at " << x << "," << y << ", see " << picture.Save("");
    // The transposed matrix would put it elsewhere; nothing else is drawn.
    int lit = 0;
    for (int py = 0; py < kHeight; ++py) {
        for (int px = 0; px < kWidth; ++px) lit += picture.At(px, py).r > 128;
    }
    EXPECT_GT(lit, 20);
    EXPECT_LT(lit, 600) << picture.Save("");
    effect->Release();
}

INSTANTIATE_TEST_SUITE_P(Packings, MatrixSenseTest,
                         testing::Values("float4x4", "row_major float4x4",
                                         "column_major float4x4"));

TEST_F(EffectGlTest, ParameterChangesReachTheNextDrawInsideAndBetweenPasses) {
    Effect* effect = CreateEffect(WriteFile("flat.fx", FlatEffect("float4x4")));
    ASSERT_NE(effect, nullptr);
    Matrix4 identity;
    SetVertices({{{-1, -1, 0.5f}, {}}, {{-1, 3, 0.5f}, {}}, {{3, -1, 0.5f}, {}}});
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    effect->SetMatrix("matWorldViewProjection", &identity);
    auto drawWith = [&](Vector4 color, bool insidePass) {
        Clear(0xFF000000);
        device->BeginScene();
        effect->Begin(nullptr, 0);
        if (!insidePass) effect->SetVector("Color", &color);
        effect->BeginPass(0);
        if (insidePass) effect->SetVector("Color", &color);
        device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
        effect->EndPass();
        effect->End();
        device->EndScene();
        picture = Capture();
        return picture.At(kWidth / 2, kHeight / 2);
    };
    Rgb first = drawWith({0, 1, 0, 1}, false);
    EXPECT_GT(first.g, 250);
    EXPECT_LT(first.r, 5);
    Rgb second = drawWith({0, 0, 1, 1}, false);
    EXPECT_GT(second.b, 250);
    EXPECT_LT(second.g, 5);
    Rgb third = drawWith({1, 1, 0, 1}, true);
    EXPECT_GT(third.r, 250);
    EXPECT_GT(third.g, 250);
    EXPECT_LT(third.b, 5);
    effect->Release();
}

// A pass that sets a render state draws with it, and End gives the device back
// the value it had before Begin.
TEST_F(EffectGlTest, PassRenderStatesApplyAtBeginPassAndEndRestoresThem) {
    std::string text = FlatEffect("float4x4");
    text.replace(text.find("PixelShader = compile ps_3_0 PS(); }"),
                 std::string("PixelShader = compile ps_3_0 PS(); }").size(),
                 "PixelShader = compile ps_3_0 PS(); FillMode = Wireframe; }");
    Effect* effect = CreateEffect(WriteFile("wire.fx", text));
    ASSERT_NE(effect, nullptr);
    Matrix4 identity;
    Vector4 white = {1, 1, 1, 1};
    effect->SetMatrix("matWorldViewProjection", &identity);
    effect->SetVector("Color", &white);
    SetVertices({{{-0.8f, -0.8f, 0.5f}, {}}, {{-0.8f, 0.8f, 0.5f}, {}}, {{0.8f, -0.8f, 0.5f}, {}}});
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    Clear(0xFF000000);
    device->BeginScene();
    effect->Begin(nullptr, 0);
    effect->BeginPass(0);
    uint32_t fill = 0;
    device->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, uint32_t(D3DFILL_WIREFRAME));
    device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    effect->EndPass();
    effect->End();
    device->EndScene();
    device->GetRenderState(D3DRS_FILLMODE, &fill);
    EXPECT_EQ(fill, uint32_t(D3DFILL_SOLID));
    picture = Capture();
    // Inside the triangle only its outline was drawn: the middle stays black.
    EXPECT_LT(picture.At(kWidth * 3 / 8, kHeight * 5 / 8).g, 5) << picture.Save("wire");
    // The left edge runs down x = 12.8 pixels.
    int lit = 0;
    for (int x = 10; x <= 16; ++x) lit += picture.At(x, kHeight / 2).g > 200;
    EXPECT_GT(lit, 0) << picture.Save("wire");
    effect->Release();
}

// One frame in the program's order: the box in pass 0 with culling and depth
// off, the sphere in pass 1 with depth on.
class SceneTest : public EffectGlTest {
protected:
    void SetUp() override {
        EffectGlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::string errors;
        effect = CreateEffect(kShippedEffect, &errors);
        ASSERT_NE(effect, nullptr) << errors;
        cube = CreateColorCube();
        ASSERT_NE(cube, nullptr);
    }
    void TearDown() override {
        SafeRelease(effect);
        SafeRelease(cube);
        EffectGlTest::TearDown();
    }

    // world puts the unit sphere (centred at the origin) in the scene;
    // camera is the camera's placement (view = its inverse).
    void DrawFrame(const Matrix4& world, const Matrix4& camera, float fovY, float reflection,
                   bool withSphere, float boxNormalFill = 0.0f) {
        Matrix4 view;
        ASSERT_TRUE(MatrixInverse(camera, &view));
        Matrix4 projection = MatrixPerspectiveFovLH(fovY, 1.0f, 0.1f, 1000.0f);
        Matrix4 worldView = world * view;
        Matrix4 inverse;
        ASSERT_TRUE(MatrixInverse(worldView, &inverse));
        Matrix4 inverseTranspose = MatrixTranspose(inverse);
        Matrix4 viewProjection = view * projection;
        Matrix4 worldViewProjection = worldView * projection;
        Vector4 eye{camera.m[3][0], camera.m[3][1], camera.m[3][2], 1.0f};

        Clear(0xFF0000FF);
        device->BeginScene();
        effect->SetTexture("EnvironmentMap", cube);
        effect->SetMatrix("matViewProjection", &viewProjection);
        effect->SetMatrix("matWorldView", &worldView);
        effect->SetMatrix("matWorldViewProjection", &worldViewProjection);
        effect->SetMatrix("matWorldViewInverseTranspose", &inverseTranspose);
        effect->SetVector("vViewPosition", &eye);
        effect->SetFloat("fRef", reflection);
        effect->SetTechnique(effect->GetTechniqueByName("TShader"));
        uint32_t passes = 1;
        effect->Begin(&passes, 0);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        effect->BeginPass(0);
        SetVertices(BoxVertices(boxNormalFill));
        SetIndices(BoxIndices());
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 24, 0, 12);
        effect->EndPass();
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        effect->BeginPass(1);
        if (withSphere) {
            std::vector<SkinVertex> vertices;
            std::vector<uint16_t> indices;
            Sphere(Vector3(0, 0, 0), &vertices, &indices);
            SetVertices(vertices);
            SetIndices(indices);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0,
                                         static_cast<uint32_t>(vertices.size()), 0,
                                         static_cast<uint32_t>(indices.size() / 3));
        }
        effect->EndPass();
        effect->End();
        device->EndScene();
        picture = Capture();
    }

    Effect* effect = nullptr;
    CubeTexture* cube = nullptr;
};

TEST_F(SceneTest, SkyTurnsWithTheCameraButNeverComesNearer) {
    // Looking along +Z from the centre: +Z ahead, +Y above, -Y below.
    DrawFrame(Matrix4(), Matrix4(), kPi * 2 / 3, 2.0f, false);
    EXPECT_EQ(FaceAt(64, 64), kPosZ) << picture.Save("_ahead");
    EXPECT_EQ(FaceAt(64, 2), kPosY) << picture.Save("_ahead");
    EXPECT_EQ(FaceAt(64, 125), kNegY) << picture.Save("_ahead");
    // Turned to look along +X (yaw 90°): +X ahead, +Z to the left.
    DrawFrame(Matrix4(), MatrixRotationY(kPi / 2), kPi * 2 / 3, 2.0f, false);
    EXPECT_EQ(FaceAt(64, 64), kPosX) << picture.Save("_turned");
    EXPECT_EQ(FaceAt(2, 64), kPosZ) << picture.Save("_turned");
    EXPECT_EQ(FaceAt(125, 64), kNegZ) << picture.Save("_turned");
    // 90 units up, near the box's top: a box that stayed put would fill the
    // upper part of the view with its top face; the sky shows +Z there still.
    DrawFrame(Matrix4(), MatrixTranslation(0, 90, 0), kPi * 2 / 3, 2.0f, false);
    EXPECT_EQ(FaceAt(64, 30), kPosZ) << picture.Save("_raised");
    EXPECT_EQ(FaceAt(64, 64), kPosZ) << picture.Save("_raised");
}

TEST_F(SceneTest, SkyPassIgnoresWhateverTheNormalsHold) {
    DrawFrame(Matrix4(), Matrix4(), kPi * 2 / 3, 2.0f, false,
              std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(FaceAt(64, 64), kPosZ) << picture.Save("");
    EXPECT_EQ(FaceAt(64, 2), kPosY) << picture.Save("");
    DrawFrame(Matrix4(), Matrix4(), kPi * 2 / 3, 2.0f, false, 1e30f);
    EXPECT_EQ(FaceAt(64, 64), kPosZ) << picture.Save("");
    EXPECT_EQ(FaceAt(2, 64), kNegX) << picture.Save("");
}

TEST_F(SceneTest, ReflectingSphereShowsTheSkyAboveOnTopAndBehindTheViewerInTheMiddle) {
    DrawFrame(MatrixTranslation(0, 0, 3), Matrix4(), kPi / 3, 2.0f, true);
    EXPECT_EQ(FaceAt(64, 64), kNegZ) << picture.Save("");  // straight back at the viewer
    EXPECT_EQ(FaceAt(64, 40), kPosY) << picture.Save("");  // upper part: the sky above
    EXPECT_EQ(FaceAt(64, 88), kNegY) << picture.Save("");  // lower part: the ground
    EXPECT_EQ(FaceAt(64, 2), kPosZ) << picture.Save("");   // the sky box around it
}

TEST_F(SceneTest, RefractingSphereShowsWhatLiesBehindIt) {
    DrawFrame(MatrixTranslation(0, 0, 3), Matrix4(), kPi / 3, 0.5f, true);
    std::vector<uint8_t> refracted = picture.rgba;
    EXPECT_EQ(FaceAt(64, 64), kPosZ) << picture.Save("");
    DrawFrame(MatrixTranslation(0, 0, 3), Matrix4(), kPi / 3, 2.0f, true);
    size_t differing = 0;
    const std::vector<uint8_t>& reflected = picture.rgba;
    for (size_t i = 0; i < reflected.size(); i += 4) {
        differing += std::abs(reflected[i] - refracted[i]) +
                         std::abs(reflected[i + 1] - refracted[i + 1]) +
                         std::abs(reflected[i + 2] - refracted[i + 2]) >
                     60;
    }
    // The sphere covers roughly a quarter of the picture; most of it changes.
    EXPECT_GT(differing, 1000u) << picture.Save("");
}

// The camera turned and moved: reflections still agree with the sky around,
// because they are looked up in world space.
TEST_F(SceneTest, ReflectionsFollowTheWorldWhenTheCameraTurns) {
    Matrix4 camera = MatrixRotationY(kPi / 2) * MatrixTranslation(5, 1, -2);
    // The sphere 3 units ahead of the camera, which looks along +X.
    DrawFrame(MatrixTranslation(8, 1, -2), camera, kPi / 3, 2.0f, true);
    EXPECT_EQ(FaceAt(64, 64), kNegX) << picture.Save("");
    EXPECT_EQ(FaceAt(64, 40), kPosY) << picture.Save("");
    EXPECT_EQ(FaceAt(64, 2), kPosX) << picture.Save("");
}

}  // namespace
}  // namespace effecttest
