#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gfx/recording/recorder.h"
#include "support/dds_files.h"
#include "support/temp_folder.h"
#include "scene/effect_setup.h"
#include "support/report_capture.h"
#include "support/temp_folder.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

class EffectSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        context.report = reported.Sink();
        folder.Write("Shaders/ReflectionOrRefraction.fx", "technique TShader {}");
        folder.Enter();
        device = recording::CreateDevice();
        GetRecorder().calls.clear();
    }
    void TearDown() override {
        SafeRelease(effect);
        SafeRelease(declaration);
        device->Release();
    }
    // Creates the effect objects as start-up does, with the box.
    HRESULT Create() {
        return CreateEffectObjects(device, declaration, effect, technique, context, kEffectPath,
                                   true);
    }
    rrtest::ReportCapture reported;
    LoadContext context;
    rrtest::TempFolder folder;
    Device* device = nullptr;
    VertexDeclaration* declaration = nullptr;
    Effect* effect = nullptr;
    EffectHandle technique = nullptr;
};

TEST_F(EffectSetupTest, DeclaresPositionAndNormalThenCompilesAndFindsTheTechnique) {
    EXPECT_EQ(Create(), S_OK);
    ASSERT_NE(declaration, nullptr);
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(technique, nullptr);
    EXPECT_STREQ(technique, "TShader");

    const std::vector<std::string> names = {"CreateVertexDeclaration", "CreateEffectFromFile",
                                            "GetTechniqueByName"};
    EXPECT_EQ(GetRecorder().Names(), names);
    // stream, offset, type, method, usage, usage index per element (end marker not listed)
    EXPECT_EQ(GetRecorder().calls[0].args,
              (std::vector<double>{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0, 0, 12,
                                   D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0}));
    uint32_t count = 0;
    const VertexElement* elements = declaration->GetElements(&count);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(elements[2].stream, 0xFF);
    EXPECT_EQ(elements[2].type, D3DDECLTYPE_UNUSED);

    EXPECT_EQ(GetRecorder().calls[1].text, "./Shaders/ReflectionOrRefraction.fx");
    EXPECT_EQ(GetRecorder().calls[1].args, (std::vector<double>{D3DXSHADER_DEBUG}));
    EXPECT_TRUE(reported.boxes.empty());
}

TEST_F(EffectSetupTest, CompileFailureShowsTheCompilerTextOnceAndStillSucceeds) {
    GetRecorder().failing.insert("CreateEffectFromFile");
    GetRecorder().effectErrorText = "fx(3,5): error X3000: unexpected token\n\nfx(4,1): error\n";
    EXPECT_EQ(Create(), S_OK);
    // One note with the file's full path, the first compiler line and the rest counted.
    EXPECT_EQ(reported.notes, std::vector<std::string>{
                                  "effect " + std::filesystem::current_path().string() +
                                  "/Shaders/ReflectionOrRefraction.fx not compiled, frames show "
                                  "the HUD only: fx(3,5): error X3000: unexpected token (1 more "
                                  "line in the ERROR box)"});
    EXPECT_NE(declaration, nullptr);
    EXPECT_EQ(effect, nullptr);
    EXPECT_EQ(technique, nullptr);
    ASSERT_EQ(reported.boxes.size(), 1u);
    EXPECT_EQ(reported.boxes[0].caption, "ERROR");
    EXPECT_EQ(reported.boxes[0].text, GetRecorder().effectErrorText);
    // The message buffer is given back.
    EXPECT_EQ(device->GetLiveObjectCount(), 1u);  // the declaration only
}

// From a base folder, without the box (the watch mode): the file is opened
// there, and the one note holds the compiler's whole text.
TEST_F(EffectSetupTest, FromABaseFolderWithoutTheBoxTheNoteHoldsTheWholeText) {
    GetRecorder().failing.insert("CreateEffectFromFile");
    GetRecorder().effectErrorText = "fx(3,5): error X3000: unexpected token\nfx(4,1): error\n";
    context.baseFolder = folder.Path().string();
    std::filesystem::current_path("/");
    std::string text;
    EXPECT_EQ(CreateEffectObjects(device, declaration, effect, technique, context,
                                  "Shaders\\reflectionorrefraction.fx", false, &text),
              S_OK);
    const std::string file = folder.Path().string() + "/Shaders/ReflectionOrRefraction.fx";
    EXPECT_EQ(GetRecorder().Named("CreateEffectFromFile")[0].text, file);
    EXPECT_EQ(reported.notes, std::vector<std::string>{
                                  "effect " + file + " not compiled, frames show the HUD only:\n" +
                                  GetRecorder().effectErrorText});
    EXPECT_TRUE(reported.boxes.empty());
    EXPECT_EQ(text, GetRecorder().effectErrorText);
}

TEST_F(EffectSetupTest, DeclarationFailureCompilesNothingAndShowsNothing) {
    GetRecorder().failing.insert("CreateVertexDeclaration");
    EXPECT_TRUE(Failed(Create()));
    EXPECT_EQ(GetRecorder().Find("CreateEffectFromFile"), -1);
    EXPECT_EQ(effect, nullptr);
    EXPECT_TRUE(reported.boxes.empty());
}

void ExpectMatrix(const std::vector<double>& actual, const Matrix4& expected) {
    ASSERT_EQ(actual.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected.m[i / 4][i % 4], 1e-4) << i;
}

TEST_F(EffectSetupTest, UploadsTheSevenParametersInOrder) {
    ASSERT_EQ(Create(), S_OK);
    CubeTexture* cube = nullptr;
    folder.Write("cube.dds", rrtest::StandInCubeMap());
    ASSERT_EQ(device->CreateCubeTextureFromFile("cube.dds", &cube), S_OK);
    GetRecorder().calls.clear();

    Matrix4 world = MatrixTranslation(0, 0, 100);
    Matrix4 view = MatrixRotationY(0.5f) * MatrixTranslation(1, -2, 3);
    Matrix4 projection = MatrixPerspectiveFovLH(0.7853982f, 4.0f / 3.0f, 1, 5000);
    UploadEffectParameters(effect, cube, world, view, projection, {7, 8, 9}, 0.5f);

    const std::vector<Call>& calls = GetRecorder().calls;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"SetTexture", "EnvironmentMap"},
        {"SetMatrix", "matViewProjection"},
        {"SetMatrix", "matWorldView"},
        {"SetMatrix", "matWorldViewProjection"},
        {"SetMatrix", "matWorldViewInverseTranspose"},
        {"SetVector", "vViewPosition"},
        {"SetFloat", "fRef"}};
    ASSERT_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(calls[i].name, expected[i].first) << i;
        EXPECT_EQ(calls[i].text, expected[i].second) << i;
    }
    EXPECT_EQ(calls[0].args[0], recording::IdOf(cube));
    ExpectMatrix(calls[1].args, view * projection);
    ExpectMatrix(calls[2].args, world * view);
    ExpectMatrix(calls[3].args, world * view * projection);
    Matrix4 inverse;
    ASSERT_TRUE(MatrixInverse(world * view, &inverse));
    ExpectMatrix(calls[4].args, MatrixTranspose(inverse));
    EXPECT_EQ(calls[5].args, (std::vector<double>{7, 8, 9, 1}));
    EXPECT_EQ(calls[6].args, (std::vector<double>{0.5}));
    cube->Release();
}

TEST(EffectParameters, IdentityInputsGiveIdentityMatricesAndWIsOne) {
    Matrix4 identity;
    EffectParameters parameters = ComputeEffectParameters(identity, identity, identity, {-3, 4, 5});
    EXPECT_EQ(parameters.viewProjection, identity);
    EXPECT_EQ(parameters.worldView, identity);
    EXPECT_EQ(parameters.worldViewProjection, identity);
    EXPECT_EQ(parameters.worldViewInverseTranspose, identity);
    EXPECT_EQ(parameters.viewPosition.x, -3.0f);
    EXPECT_EQ(parameters.viewPosition.w, 1.0f);
}

TEST(EffectParameters, OrthonormalViewKeepsItsRotationInTheInverseTranspose) {
    Matrix4 identity;
    Matrix4 view = MatrixRotationYawPitchRoll(0.3f, -0.2f, 0.1f) * MatrixTranslation(10, -100, 200);
    EffectParameters parameters = ComputeEffectParameters(identity, view, identity, {});
    EXPECT_EQ(parameters.worldView, view);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(parameters.worldViewInverseTranspose.m[r][c], view.m[r][c], 1e-5f);
}

TEST(EffectParameters, SingularWorldViewGivesTheIdentity) {
    Matrix4 flat = MatrixScaling(1, 0, 1);
    Matrix4 identity;
    EffectParameters parameters = ComputeEffectParameters(flat, identity, identity, {});
    EXPECT_EQ(parameters.worldViewInverseTranspose, identity);
}

}  // namespace
