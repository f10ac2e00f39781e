#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

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
    HRESULT Create() { return box.Create(device, kEnvironmentMapPath); }

    rrtest::TempFolder folder;
    Device* device = nullptr;
    EnvironmentBox box;
    VertexBuffer*& vertexBuffer = box.vertexBuffer;
    IndexBuffer*& indexBuffer = box.indexBuffer;
    CubeTexture*& environmentMap = box.environmentMap;
};

// The six faces in their order, each seen from outside: its outward
// direction, and the directions of its right and top edges.
struct Face {
    Vector3 out, right, up;
} const kFaces[6] = {
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},   // z = −100
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},    // x = +100
    {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},   // z = +100
    {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  // x = −100
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},    // y = +100, "top" is +z
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},  // y = −100, "top" is −z
};

// Vertex 4f + c of the box: corner c (top-left, top-right, bottom-left,
// bottom-right) of face f.
Vector3 Corner(int vertex) {
    const Face& face = kFaces[vertex / 4];
    float right = vertex % 2 ? 1.0f : -1.0f;
    float up = vertex % 4 < 2 ? 1.0f : -1.0f;
    return (face.out + face.right * right + face.up * up) * 100.0f;
}

TEST_F(EnvironmentBoxTest, WritesTheTwentyFourPositionsAndThirtySixIndices) {
    ASSERT_EQ(Create(), S_OK);
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

    // Positions as the face table says, normals zero.
    const std::vector<uint8_t>& vertexBytes = recording::ContentsOf(vertexBuffer);
    ASSERT_EQ(vertexBytes.size(), 24 * sizeof(SkinVertex));
    SkinVertex vertices[24];
    std::memcpy(vertices, vertexBytes.data(), sizeof vertices);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(vertices[i].position, Corner(i)) << i;
        EXPECT_EQ(kBoxPositions[i], Corner(i)) << i;
        EXPECT_EQ(vertices[i].normal, Vector3(0, 0, 0)) << i;
    }

    // Per face b = 4f: b, b+1, b+2 and b+1, b+3, b+2.
    const std::vector<uint8_t>& indexBytes = recording::ContentsOf(indexBuffer);
    ASSERT_EQ(indexBytes.size(), 72u);
    uint16_t indices[36];
    std::memcpy(indices, indexBytes.data(), sizeof indices);
    const int pattern[6] = {0, 1, 2, 1, 3, 2};
    for (int i = 0; i < 36; ++i) EXPECT_EQ(indices[i], 4 * (i / 6) + pattern[i % 6]) << i;
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
    ASSERT_EQ(Create(), S_OK);
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
    EXPECT_EQ(calls[1].args,
              (std::vector<double>{0, double(recording::IdOf(vertexBuffer)), 0, 24}));
    EXPECT_EQ(calls[2].args[0], recording::IdOf(indexBuffer));
    EXPECT_EQ(calls[3].args, (std::vector<double>{D3DPT_TRIANGLELIST, 0, 0, 24, 0, 12}));
    declaration->Release();
}

TEST_F(EnvironmentBoxTest, MissingCubeMapFailsAndKeepsTheBuffersForRelease) {
    std::filesystem::remove(folder.Path() / "Textures" / "Snow.dds");
    EXPECT_EQ(Create(), E_FAIL);
    EXPECT_NE(vertexBuffer, nullptr);
    EXPECT_NE(indexBuffer, nullptr);
    EXPECT_EQ(environmentMap, nullptr);
}

TEST_F(EnvironmentBoxTest, FailingStepStopsTheLaterOnes) {
    GetRecorder().failing.insert("CreateVertexBuffer");
    EXPECT_EQ(Create(), E_FAIL);
    EXPECT_EQ(GetRecorder().Find("CreateIndexBuffer"), -1);
    EXPECT_EQ(GetRecorder().Find("CreateCubeTextureFromFile"), -1);

    GetRecorder().failing = {"Lock"};
    EXPECT_EQ(Create(), E_FAIL);
    EXPECT_NE(vertexBuffer, nullptr);  // created, not filled: kept for release
    EXPECT_EQ(indexBuffer, nullptr);
}

TEST_F(EnvironmentBoxTest, ReleaseGoesIndicesVerticesCubeMapAndOnlyOnce) {
    ASSERT_EQ(Create(), S_OK);
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
