// The skinned character: up to 32 reference meshes, up to 32 animation clips,
// and the scratch state the two SMD loaders share while reading a file.
#pragma once

#include <cstdio>

#include "model/animation_clip.h"
#include "model/model_mesh.h"
#include "model/smd_load_result.h"
#include "platform/gfx/core/device.h"

constexpr int kMaxMeshes = 32;
constexpr int kMaxClips = 32;
constexpr int kLineBufferSize = 256;
constexpr int kTokenSize = 80;
constexpr int kDirectorySize = 128;

struct SkinnedModel {
    // The device of the latest LoadReference; borrowed, never released.
    gfx::Device* device = nullptr;

    // Loader scratch, meaningful only while a file is parsed.
    char lineBuffer[kLineBufferSize] = {};
    char token[kTokenSize] = {};
    int scannedNumber = 0;
    int boneCount = 0;
    int timeCount = 0;
    int materialCount = 0;
    int triangleCount = 0;
    char materialNames[kMaxMaterials][kMaterialNameSize] = {};
    // Number of the line in lineBuffer (1 = first line of the file).
    int lineNumber = 0;
    // Why the latest parse returned Malformed, and at which line.
    int errorLine = 0;
    char errorText[160] = {};

    // Directory prefix of the latest reference path, separator included.
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

    // Loads a reference file into meshes[meshCount]. False, with a message
    // box (caption "Error") unless the file could not be opened, when the
    // file is not a usable reference; the mesh slots are then unchanged.
    bool LoadReference(gfx::Device* device, const char* path);
    // Loads an animation file into clips[clipCount]; failures as above.
    bool LoadAnimation(const char* path);
    // Advances clip clipIndex by timeStep over [startFrame, endFrame), blends
    // every mesh's bones, skins and draws every mesh one triangle per call.
    // False when the clip or the range is refused (nothing drawn).
    bool UpdateAndDraw(gfx::Device* device, uint32_t fillMode, int startFrame, int endFrame,
                       float timeStep, int clipIndex);

    // Two-pass parses of an open file (the slot is written only on Ok).
    SmdLoadResult ParseReference(FILE* file);
    SmdLoadResult ParseAnimation(FILE* file);

    // Line reading shared by both loaders (smd_reader.cpp).
    // Reads the next line into lineBuffer, cutting it at 255 characters (the
    // rest of a longer line is skipped), and scans its first word into token
    // (empty for a blank line). False at the end of the file.
    bool ReadLine(FILE* file);
    // Like ReadLine, but skips blank lines: used inside sections.
    bool ReadSectionLine(FILE* file);
    // Records a Malformed cause for the line just read.
    void SetError(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Records a section that reached the end of the file without "end".
    void SetMissingEnd(const char* section, int openerLine);

    // First-pass section readers, called right after the opener line; each
    // reads through the section's "end" line. False (with the error set) when
    // the file ends first.
    bool CountNodes(FILE* file);
    bool CountSkeletonTimes(FILE* file);
    bool CountTriangles(FILE* file);
    // Runs the first pass over the rest of the file (after the header).
    bool CountSections(FILE* file);

    // Second-pass readers of the reference loader, writing into mesh.
    bool ReadNodes(FILE* file, ModelMesh& mesh);
    bool ReadSkeleton(FILE* file, ModelMesh& mesh);
    bool ReadTriangles(FILE* file, ModelMesh& mesh);
    // Second-pass readers of the animation loader, writing into clip.
    bool ReadClipNodes(FILE* file, AnimationClip& clip);
    bool ReadClipSkeleton(FILE* file, AnimationClip& clip);

    // Resets the counters and reads the header; false unless "version 1".
    bool ReadHeader(FILE* file);
    // Rewinds for the second pass.
    void Rewind(FILE* file);
};
