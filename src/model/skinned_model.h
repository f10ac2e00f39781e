// The skinned character: up to 32 reference meshes and up to 32 animation
// clips. Files are read by the SMD parser (model/smd), which holds no state
// here; the loaders create the device objects and fill the next slot.
#pragma once

#include "model/animation_clip.h"
#include "model/load_context.h"
#include "model/model_mesh.h"
#include "model/smd/parsed_smd.h"
#include "model/smd_load_failure.h"
#include "platform/gfx/core/device.h"

constexpr int kMaxMeshes = 32;
constexpr int kMaxClips = 32;
constexpr int kDirectorySize = 128;

struct SkinnedModel {
    // The device of the latest LoadReference; borrowed, never released.
    gfx::Device* device = nullptr;

    // Directory prefix of the latest reference path, separator included
    // (relative to the base folder it was read from).
    char directory[kDirectorySize] = {};

    int meshCount = 0;
    ModelMesh* meshes = nullptr;
    int clipCount = 0;
    int currentClip = 0;
    AnimationClip* clips = nullptr;

    SkinnedModel();
    SkinnedModel(const SkinnedModel&) = delete;
    SkinnedModel& operator=(const SkinnedModel&) = delete;
    ~SkinnedModel();

    // Loads a reference file into meshes[meshCount]: parses it, then creates
    // the material textures and the vertex buffer. A relative path, and the
    // texture paths built from it, are read from the context's base folder.
    // False, with a message box (caption "Error") to the context's sink
    // unless the file could not be read, when the file is not a usable
    // reference; the mesh slots are then unchanged. failure, when given,
    // receives the reason and the line. Every failure, and a material texture
    // that cannot be read, also gives one note to the sink. prepared, when
    // given, is path's file already read and parsed without a fault (start-up
    // parses on a worker): it is taken in place of reading path.
    bool LoadReference(gfx::Device* device, const char* path, const LoadContext& context,
                       SmdLoadFailure* failure = nullptr, smd::Reference* prepared = nullptr);
    // Loads an animation file into clips[clipCount]; failures as above. A
    // clip drives each mesh's bones by place when its bones have the mesh's
    // names at the same places, otherwise by name (MatchClipBones). A clip
    // with fewer or more bones than a loaded mesh is kept (the mesh's other
    // bones keep their pose, the clip's extra bones are not used) and noted
    // to the sink. prepared as for LoadReference.
    bool LoadAnimation(const char* path, const LoadContext& context,
                       SmdLoadFailure* failure = nullptr, smd::Animation* prepared = nullptr);
    // Blends every mesh's bones in clip clipIndex's pose, skins and draws
    // every mesh one triangle per call, then moves the clip on by timeStep
    // keyframes over [startFrame, endFrame) as motion says. False when the
    // clip or the range is refused (nothing drawn).
    bool UpdateAndDraw(gfx::Device* device, uint32_t fillMode, int startFrame, int endFrame,
                       float timeStep, int clipIndex, ClipMotion motion = {});
    // UpdateAndDraw's first half: the clip's pose blended into every mesh's
    // bones and the clip moved on, nothing skinned or drawn (the textured
    // display draws itself).
    bool AdvanceClip(int startFrame, int endFrame, float timeStep, int clipIndex,
                     ClipMotion motion = {});

    // The note of LoadAnimation for a clip whose bone count differs from the
    // first mesh that has another count.
    void NoteBoneMismatch(const LoadContext& context, const char* path,
                          const AnimationClip& clip) const;

    // Decides how clip clipIndex drives mesh meshIndex: by place when the
    // names of the bones they both have agree place by place, otherwise each
    // clip bone drives the mesh bone of the same name (clip.meshBones). In
    // that case says so to report, with the clip's bones the mesh lacks (not
    // used) and the mesh's bones the clip lacks (they keep their pose),
    // each list once, the notes starting with `what` (none when what is
    // null). True when matched by name.
    bool MatchClipBones(int meshIndex, int clipIndex, const ReportSink& report, const char* what);
    // After a clip or a mesh has loaded from path: matches it to every loaded
    // mesh or clip, the notes naming path as the context's notes do.
    void MatchClipToMeshes(const LoadContext& context, const char* path, int clipIndex);
    void MatchMeshToClips(const LoadContext& context, const char* path, int meshIndex);
};
