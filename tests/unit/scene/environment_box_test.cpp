#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "model/skin_vertex.h"
#include "platform/gfx/recording/recorder.h"
#include "support/dds_files.h"
#include "support/temp_folder.h"
#include "scene/environment_box.h"

namespace {

using namespace gfx;
using gfx::recording::Call;
using gfx::recording::GetRecorder;

// Runs each test in a fresh folder that may hold ./Textures/Snow.dds.
class EnvironmentBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetRecorder().Reset();
        folder.Write("Textures/Snow.dds", rrtest::StandInCubeMap());
        folder.Enter();
        device = recording::CreateDevice();
        GetRecorder().calls.clear();
    }
    void TearDown() override {
        box.Release();
        device->Release();
    }
    rrtest::TempFolder folder;
    Device* device = nullptr;
    VertexBuffer* vertexBuffer = nullptr;
    IndexBuffer* indexBuffer = nullptr;
    CubeTexture* environmentMap = nullptr;
    EnvironmentBox box{vertexBuffer, indexBuffer, environmentMap};
};

TEST_F(EnvironmentBoxTest, WritesTheTwentyFourPositionsAndThirtySixIndices) {
    ASSERT_EQ(box.Create(device), S_OK);
    ASSERT_NE(vertexBuffer, nullptr);
    ASSERT_NE(indexBuffer, nullptr);
    ASSERT_NE(environmentMap, nullptr);

    std::vector<Call> created = GetRecorder().Named("CreateVertexBuffer");
    EXPECT_EQ(created[0].args, (std::vector<double>{576, 0, 0, D3DPOOL_DEFAULT, 0}));
    created = GetRecorder().Named("CreateIndexBuffer");
    EXPECT_EQ(created[0].args, (std::vector<double>{72, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, 0}));
    EXPECT_EQ(GetRecorder().Named("CreateCubeTextureFromFile")[0].text, "./Textures/Snow.dds");
    for (const Call& lock : GetRecorder().Named("Lock"))
        EXPECT_EQ(lock.args, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(GetRecorder().Named("Unlock").size(), 2u);

    const std::vector<uint8_t>& vertexBytes = recording::ContentsOf(vertexBuffer);
    ASSERT_EQ(vertexBytes.size(), 24 * sizeof(SkinVertex));
    SkinVertex vertices[24];
    std::memcpy(vertices, vertexBytes.data(), sizeof vertices);
    const float expected[24][3] = {
        {-100, 100, -100}, {100, 100, -100},  {-100, -100, -100}, {100, -100, -100},
        {100, 100, -100},  {100, 100, 100},   {100, -100, -100},  {100, -100, 100},
        {100, 100, 100},   {-100, 100, 100},  {100, -100, 100},   {-100, -100, 100},
        {-100, 100, 100},  {-100, 100, -100}, {-100, -100, 100},  {-100, -100, -100},
        {-100, 100, 100},  {100, 100, 100},   {-100, 100, -100},  {100, 100, -100},
        {-100, -100, -100}, {100, -100, -100}, {-100, -100, 100}, {100, -100, 100}};
    std::map<std::tuple<float, float, float>, int> corners;
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(vertices[i].position, Vector3(expected[i][0], expected[i][1], expected[i][2])) << i;
        EXPECT_EQ(vertices[i].normal, Vector3(0, 0, 0)) << i;
        ++corners[{vertices[i].position.x, vertices[i].position.y, vertices[i].position.z}];
    }
    EXPECT_EQ(corners.size(), 8u);
    for (const auto& [corner, count] : corners) EXPECT_EQ(count, 3);

    const std::vector<uint8_t>& indexBytes = recording::ContentsOf(indexBuffer);
    ASSERT_EQ(indexBytes.size(), 72u);
    uint16_t indices[36];
    std::memcpy(indices, indexBytes.data(), sizeof indices);
    const uint16_t expectedIndices[36] = {0,  1,  2,  1,  3,  2,  4,  5,  6,  5,  7,  6,
                                          8,  9,  10, 9,  11, 10, 12, 13, 14, 13, 15, 14,
                                          16, 17, 18, 17, 19, 18, 20, 21, 22, 21, 23, 22};
    for (int i = 0; i < 36; ++i) EXPECT_EQ(indices[i], expectedIndices[i]) << i;

    // Every triangle: three distinct corners on one face plane.
    for (int t = 0; t < 12; ++t) {
        const Vector3& a = vertices[indices[3 * t]].position;
        const Vector3& b = vertices[indices[3 * t + 1]].position;
        const Vector3& c = vertices[indices[3 * t + 2]].position;
        EXPECT_FALSE(a == b || b == c || a == c) << t;
        bool onePlane = (a.x == b.x && b.x == c.x) || (a.y == b.y && b.y == c.y) ||
                        (a.z == b.z && b.z == c.z);
        EXPECT_TRUE(onePlane) << t;
    }
}

TEST_F(EnvironmentBoxTest, TrianglesWindClockwiseSeenFromOutside) {
    // Left-handed: for a clockwise triangle seen from outside, (b − a) × (c − a)
    // points out of the box.
    for (int t = 0; t < 12; ++t) {
        const Vector3& a = kBoxPositions[kBoxIndices[3 * t]];
        const Vector3& b = kBoxPositions[kBoxIndices[3 * t + 1]];
        const Vector3& c = kBoxPositions[kBoxIndices[3 * t + 2]];
        Vector3 normal = Vec3Cross(b - a, c - a);
        Vector3 centre = (a + b + c) * (1.0f / 3.0f);
        EXPECT_GT(Vec3Dot(normal, centre), 0.0f) << t;
    }
}

TEST_F(EnvironmentBoxTest, DrawsTheWholeBoxInOneCall) {
    ASSERT_EQ(box.Create(device), S_OK);
    VertexDeclaration* declaration = nullptr;
    const VertexElement elements[] = {D3DDECL_END};
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &declaration), S_OK);
    GetRecorder().calls.clear();
    box.Draw(device, declaration);
    const std::vector<std::string> names = {"SetVertexDeclaration", "SetStreamSource", "SetIndices",
                                            "DrawIndexedPrimitive"};
    EXPECT_EQ(GetRecorder().Names(), names);
    const std::vector<Call>& calls = GetRecorder().calls;
    EXPECT_EQ(calls[0].args[0], recording::IdOf(declaration));
    EXPECT_EQ(calls[1].args, (std::vector<double>{0, double(recording::IdOf(vertexBuffer)), 0, 24}));
    EXPECT_EQ(calls[2].args[0], recording::IdOf(indexBuffer));
    EXPECT_EQ(calls[3].args, (std::vector<double>{D3DPT_TRIANGLELIST, 0, 0, 24, 0, 12}));
    declaration->Release();
}

TEST_F(EnvironmentBoxTest, MissingCubeMapFailsAndKeepsTheBuffersForRelease) {
    std::filesystem::remove(folder.Path() / "Textures" / "Snow.dds");
    EXPECT_EQ(box.Create(device), E_FAIL);
    EXPECT_NE(vertexBuffer, nullptr);
    EXPECT_NE(indexBuffer, nullptr);
    EXPECT_EQ(environmentMap, nullptr);
}

TEST_F(EnvironmentBoxTest, FailingStepStopsTheLaterOnes) {
    GetRecorder().failing.insert("CreateVertexBuffer");
    EXPECT_EQ(box.Create(device), E_FAIL);
    EXPECT_EQ(GetRecorder().Find("CreateIndexBuffer"), -1);
    EXPECT_EQ(GetRecorder().Find("CreateCubeTextureFromFile"), -1);

    GetRecorder().failing = {"Lock"};
    EXPECT_EQ(box.Create(device), E_FAIL);
    EXPECT_NE(vertexBuffer, nullptr);  // created, not filled: kept for release
    EXPECT_EQ(indexBuffer, nullptr);
}

TEST_F(EnvironmentBoxTest, ReleaseGoesIndicesVerticesCubeMapAndOnlyOnce) {
    ASSERT_EQ(box.Create(device), S_OK);
    std::vector<uint32_t> order = {recording::IdOf(indexBuffer), recording::IdOf(vertexBuffer),
                                   recording::IdOf(environmentMap)};
    GetRecorder().calls.clear();
    box.Release();
    box.Release();
    std::vector<Call> released = GetRecorder().Named("Release");
    ASSERT_EQ(released.size(), 3u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(released[i].object, order[i]);
    EXPECT_EQ(device->GetLiveObjectCount(), 0u);
}

}  // namespace
