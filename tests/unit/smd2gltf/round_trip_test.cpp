// Exports read back by assimp: at keyframes 0, 1 and the last of every
// clip, the joints' world positions and the skinned vertices of the import
// agree with the pose and the vertex buffer of the program's own playback
// (SkinnedModel::UpdateAndDraw on a recording device), after the axis
// change, within 1e-4 of the model's size.
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cstring>
#include <map>
#include <memory>

#include "model/skinned_model.h"
#include "model/smd/smd_parser.h"
#include "platform/files.h"
#include "platform/gfx/core/log.h"
#include "platform/gfx/recording/recorder.h"
#include "smd2gltf/corner_influences.h"
#include "smd2gltf/smd_export.h"

namespace {

using smd2gltf::Vec3d;

struct Character {
    const char* name;
    std::string folder;
    std::string reference;
    std::vector<std::string> clips;
    bool hasLinks = false;
};

const Character kCharacters[] = {
    {"Pudo_Red",
     RR_RUN_DIR "/Model/SMD/Pudo_Red/",
     "Ref_Red.smd",
     {"Ani_Red(Attack).smd", "Ani_Red(Run).smd", "Ani_Red(Stun).smd"}},
    {"LanternSquid",
     RR_RUN_DIR "/Model/SMD/Lantern Squid/",
     "Ref Squid.smd",
     {"Ani Squid (Swim).smd", "Ani Squid (Look Around).smd", "Ani Squid (Strike).smd"}},
    // Parents that name the bone itself or come after their child, two
    // roots, and a bone the clip lacks below one it moves.
    {"OddParents", RR_TEST_DATA_DIR "/", "odd_parents.smd", {"odd_parents_clip.smd"}},
    // Weight links and node ids with gaps: run once the parser reads them.
    {"LinksAndGaps", RR_TEST_DATA_DIR "/", "links_and_gaps.smd", {"links_and_gaps_wave.smd"}, true},
};

Vec3d ToGltf(const Vector3& p) {
    return smd2gltf::PointToGltf({p.x, p.y, p.z}, smd2gltf::kMetresPerInch);
}

double Distance(const Vec3d& a, const aiVector3D& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

// World matrices of the import's nodes, by name, at keyframe k of anim.
void PoseNodes(const aiNode* node, const aiMatrix4x4& parent, const aiAnimation& anim, unsigned k,
               std::map<std::string, aiMatrix4x4>* world) {
    aiMatrix4x4 local = node->mTransformation;
    for (unsigned c = 0; c < anim.mNumChannels; ++c) {
        const aiNodeAnim& channel = *anim.mChannels[c];
        if (channel.mNodeName != node->mName) continue;
        auto at = [k](unsigned count) { return std::min(k, count - 1); };
        local = aiMatrix4x4(channel.mScalingKeys[at(channel.mNumScalingKeys)].mValue,
                            channel.mRotationKeys[at(channel.mNumRotationKeys)].mValue,
                            channel.mPositionKeys[at(channel.mNumPositionKeys)].mValue);
    }
    (*world)[node->mName.C_Str()] = parent * local;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        PoseNodes(node->mChildren[i], parent * local, anim, k, world);
}

class RoundTrip : public ::testing::TestWithParam<Character> {};

TEST_P(RoundTrip, ImportMovesLikeTheProgramAtKeyframes) {
    const Character& character = GetParam();
    if (character.hasLinks && !smd2gltf::kReadsLinks<smd::Reference>)
        GTEST_SKIP() << "the SMD parser reads no weight links yet";
    smd2gltf::ExportOptions options;
    options.reference = character.folder + character.reference;
    for (const std::string& clip : character.clips)
        options.clips.push_back(character.folder + clip);
    std::vector<uint8_t> glb;
    smd2gltf::ExportResult result = smd2gltf::BuildGlb(options, &glb);
    ASSERT_TRUE(result.ok) << result.error;

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(glb.data(), glb.size(), 0, "glb");
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_EQ(scene->mNumAnimations, character.clips.size());

    // The material of each triangle, and the model's size in glTF units.
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadFileBytes(options.reference.c_str(), file_limits::kSmdFile, &bytes, &error));
    smd::Reference reference;
    ASSERT_EQ(smd::ParseReference(bytes, &reference).result, SmdLoadResult::Ok);
    double low[3] = {1e30, 1e30, 1e30}, high[3] = {-1e30, -1e30, -1e30};
    for (unsigned m = 0; m < scene->mNumMeshes; ++m)
        for (unsigned v = 0; v < scene->mMeshes[m]->mNumVertices; ++v)
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], double(scene->mMeshes[m]->mVertices[v][i]));
                high[i] = std::max(high[i], double(scene->mMeshes[m]->mVertices[v][i]));
            }
    const double tolerance =
        1e-4 * std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});

    // Front faces wind counter-clockwise: each face's turn agrees with its
    // corners' normals.
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh& part = *scene->mMeshes[m];
        unsigned agree = 0;
        for (unsigned f = 0; f < part.mNumFaces; ++f) {
            const unsigned* i = part.mFaces[f].mIndices;
            aiVector3D turn = (part.mVertices[i[1]] - part.mVertices[i[0]]) ^
                              (part.mVertices[i[2]] - part.mVertices[i[0]]);
            agree += turn * (part.mNormals[i[0]] + part.mNormals[i[1]] + part.mNormals[i[2]]) > 0;
        }
        EXPECT_EQ(agree, part.mNumFaces) << "mesh " << m;
    }

    // The recording device refuses the draws (no vertex declaration is set)
    // and says so per triangle; only the skinned buffer matters here.
    gfx::LogSink previousSink = gfx::SetLogSink([](const char*) {});
    gfx::Device* device = gfx::recording::CreateDevice();
    for (size_t clip = 0; clip < character.clips.size(); ++clip) {
        const aiAnimation& anim = *scene->mAnimations[clip];
        EXPECT_EQ(std::string(anim.mName.C_Str()) + ".smd", character.clips[clip]);
        auto model = std::make_unique<SkinnedModel>();
        ASSERT_TRUE(model->LoadReference(device, options.reference.c_str(), LoadContext{}));
        ASSERT_TRUE(model->LoadAnimation(options.clips[clip].c_str(), LoadContext{}));
        const ModelMesh& mesh = model->meshes[0];
        const int frames = model->clips[0].frameCount;
        // With a step of 1 every call after the first shows the next keyframe whole.
        int shown = -1;
        for (int keyframe : {0, 1, frames - 1}) {
            if (keyframe <= shown || keyframe >= frames) continue;
            for (; shown < keyframe; ++shown) {
                ASSERT_TRUE(model->UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0, frames, 1.0f, 0));
                gfx::recording::GetRecorder().calls.clear();
            }
            SCOPED_TRACE(character.clips[clip] + " keyframe " + std::to_string(keyframe));
            std::map<std::string, aiMatrix4x4> world;
            PoseNodes(scene->mRootNode, aiMatrix4x4(), anim, unsigned(keyframe), &world);

            for (int b = 0; b < mesh.boneCount; ++b) {
                const aiMatrix4x4& joint = world.at(mesh.bones[b].name);
                const auto& m = mesh.bones[b].absoluteMatrix.m;
                ASSERT_LT(
                    Distance(ToGltf({m[3][0], m[3][1], m[3][2]}), {joint.a4, joint.b4, joint.c4}),
                    tolerance)
                    << "bone " << mesh.bones[b].name;
            }

            // The program's skinned corners, slot s of triangle t at 3t + s;
            // the import's faces per material in file order, corners in the
            // file's order (slots 0, 2, 1).
            const auto& contents = gfx::recording::ContentsOf(mesh.vertexBuffer);
            std::vector<SkinVertex> skinned(size_t(3 * mesh.triangleCount));
            std::memcpy(skinned.data(), contents.data(), skinned.size() * sizeof(SkinVertex));
            std::map<std::string, std::vector<int>> trianglesOf;
            for (int t = 0; t < reference.triangleCount; ++t)
                trianglesOf[reference.materialNames[reference.triangles[t].materialIndex]]
                    .push_back(t);
            size_t faces = 0;
            for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
                const aiMesh& part = *scene->mMeshes[i];
                std::vector<aiVector3D> moved(part.mNumVertices, aiVector3D(0, 0, 0));
                for (unsigned j = 0; j < part.mNumBones; ++j) {
                    const aiBone& bone = *part.mBones[j];
                    aiMatrix4x4 skin = world.at(bone.mName.C_Str()) * bone.mOffsetMatrix;
                    for (unsigned w = 0; w < bone.mNumWeights; ++w)
                        moved[bone.mWeights[w].mVertexId] +=
                            bone.mWeights[w].mWeight *
                            (skin * part.mVertices[bone.mWeights[w].mVertexId]);
                }
                const auto& triangles =
                    trianglesOf.at(scene->mMaterials[part.mMaterialIndex]->GetName().C_Str());
                ASSERT_EQ(part.mNumFaces, triangles.size());
                for (unsigned f = 0; f < part.mNumFaces; ++f) {
                    static constexpr int kSlotOfCorner[3] = {0, 2, 1};
                    for (int c = 0; c < 3; ++c) {
                        const SkinVertex& expected =
                            skinned[size_t(3 * triangles[f] + kSlotOfCorner[c])];
                        ASSERT_LT(
                            Distance(ToGltf(expected.position), moved[part.mFaces[f].mIndices[c]]),
                            tolerance)
                            << "triangle " << triangles[f] << " corner " << c;
                    }
                }
                faces += part.mNumFaces;
            }
            EXPECT_EQ(faces, size_t(mesh.triangleCount));
        }
    }
    device->Release();
    gfx::SetLogSink(previousSink);
}

INSTANTIATE_TEST_SUITE_P(Characters, RoundTrip, ::testing::ValuesIn(kCharacters),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
