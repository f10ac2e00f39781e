// Per-frame playback: step the clip, blend bone matrices, skin on the CPU and
// draw every mesh one triangle per call.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/skinned_model.h"
#include "model/skinning.h"

namespace {

// (1 - blend) × a + blend × b, element by element in single precision.
void BlendMatrices(const Matrix4& a, const Matrix4& b, float blend, Matrix4* out) {
    float keep = 1.0f - blend;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out->m[r][c] = keep * a.m[r][c] + blend * b.m[r][c];
}

// Moves the clip `keyframes` (>= 1) keyframes on within [start, end): past
// the last back to start when loop, else onto the last. nextFrame follows it.
void Advance(AnimationClip* clip, int start, int end, int64_t keyframes, bool loop) {
    if (loop) {
        if (clip->currentFrame >= end) clip->currentFrame = start - 1;
        if (keyframes == 1) {
            clip->currentFrame += 1;
            if (clip->currentFrame >= end) clip->currentFrame = start;
        } else {
            const int64_t length = end - start;
            clip->currentFrame = start + int((clip->currentFrame - start + keyframes) % length);
        }
    } else {
        clip->currentFrame = int(std::min<int64_t>(clip->currentFrame + keyframes, end - 1));
    }
    clip->nextFrame = clip->currentFrame + 1;
    if (clip->nextFrame >= end) clip->nextFrame = loop ? start : clip->currentFrame;
}

// The whole keyframes of a blend of 1 or more moved on, the rest kept.
void MoveOn(AnimationClip* clip, int start, int end, bool loop) {
    // Any float this large is a whole number: the clip's place is then
    // arbitrary, but stays inside it.
    const float whole = std::floor(std::min(clip->blend, 1.0e9f));
    clip->blend = std::min(clip->blend, 1.0e9f) - whole;
    Advance(clip, start, end, int64_t(whole), loop);
}

// A clip that does not loop stands on its last keyframe once it gets there.
void HoldLastKeyframe(AnimationClip* clip, int end) {
    if (clip->currentFrame < end - 1) return;
    clip->currentFrame = end - 1;
    clip->nextFrame = clip->currentFrame;
    clip->blend = 0.0f;
}

}  // namespace

float AnimationClip::Position() const {
    if (frameCount <= 0 || !frames || currentFrame < 0 || currentFrame >= frameCount) return 0.0f;
    // Drawn next: the interval that follows (per-frame playback drops the rest).
    if (blend >= 1.0f) return currentFrame + 1 < frameCount ? float(currentFrame + 1) : 0.0f;
    // A keyframe blended towards itself (the first interval, a stopped clip)
    // shows that keyframe whatever the blend.
    if (nextFrame == currentFrame || !(blend > 0.0f)) return float(currentFrame);
    return float(currentFrame) + blend;
}

bool AnimationClip::Seek(float position) {
    if (frameCount <= 0 || !frames) return false;
    const float last = float(frameCount - 1);
    const float clamped = position >= 0.0f ? std::min(position, last) : 0.0f;  // NaN: 0
    currentFrame = std::min(int(std::floor(clamped)), frameCount - 1);
    blend = clamped - float(currentFrame);
    nextFrame = currentFrame + 1 < frameCount ? currentFrame + 1 : 0;
    return true;
}

bool SkinnedModel::AdvanceClip(int startFrame, int endFrame, float timeStep, int clipIndex,
                               ClipMotion motion) {
    // An index past the loaded clips is refused before anything changes.
    if (clipIndex < 0 || clipIndex >= clipCount) return false;
    currentClip = clipIndex;
    AnimationClip& clip = clips[currentClip];

    if (clip.currentFrame < startFrame) clip.currentFrame = startFrame;
    if (startFrame < 0 || endFrame < 0 || startFrame >= clip.frameCount ||
        endFrame > clip.frameCount)
        return false;

    if (clip.blend >= 1.0f) {
        if (motion.carry) {
            MoveOn(&clip, startFrame, endFrame, motion.loop);
        } else {
            // The part above 1 is dropped, not carried into the next interval.
            clip.blend = 0.0f;
            Advance(&clip, startFrame, endFrame, 1, motion.loop);
        }
    }
    if (!motion.loop) HoldLastKeyframe(&clip, endFrame);

    // Both keyframes lie inside the clip: currentFrame only ever takes
    // startFrame or a value below endFrame, nextFrame likewise, and both
    // bounds were checked against frameCount above. Checked once more so
    // that no state a caller can build makes the blend read past the table.
    bool framesValid = clip.frames && clip.currentFrame >= 0 &&
                       clip.currentFrame < clip.frameCount && clip.nextFrame >= 0 &&
                       clip.nextFrame < clip.frameCount;
    if (framesValid) {
        const Bone* from = clip.frames[clip.currentFrame];
        const Bone* to = clip.frames[clip.nextFrame];
        for (int m = 0; m < meshCount; ++m) {
            ModelMesh& mesh = meshes[m];
            // Bones the clip does not have keep their current matrix.
            for (int k = 0; k < mesh.boneCount; ++k) {
                int source = clip.SourceBone(m, k);
                if (source < 0) continue;
                BlendMatrices(from[source].absoluteMatrix, to[source].absoluteMatrix, clip.blend,
                              &mesh.bones[k].absoluteMatrix);
            }
        }
    }

    clip.blend += timeStep;
    // Whole keyframes are taken at once, so the blend stays below 1 for
    // Position; a stopped clip stays on its last keyframe.
    if (motion.carry && clip.blend >= 1.0f) MoveOn(&clip, startFrame, endFrame, motion.loop);
    if (!motion.loop) HoldLastKeyframe(&clip, endFrame);
    return true;
}

bool SkinnedModel::UpdateAndDraw(gfx::Device* drawDevice, uint32_t fillMode, int startFrame,
                                 int endFrame, float timeStep, int clipIndex, ClipMotion motion) {
    if (!AdvanceClip(startFrame, endFrame, timeStep, clipIndex, motion)) return false;
    for (int m = 0; m < meshCount; ++m) {
        ModelMesh& mesh = meshes[m];
        if (!mesh.IsDrawable()) continue;
        mesh.SkinMesh();
        drawDevice->SetStreamSource(0, mesh.vertexBuffer, 0, sizeof(SkinVertex));
        if (device) device->SetRenderState(gfx::D3DRS_FILLMODE, fillMode);
        for (int t = 0; t < mesh.triangleCount; ++t)
            drawDevice->DrawPrimitive(gfx::D3DPT_TRIANGLELIST, uint32_t(3 * t), 1);
    }
    return true;
}

bool ModelMesh::SkinMesh() {
    if (!IsDrawable()) return false;
    void* data = nullptr;
    if (gfx::Failed(vertexBuffer->Lock(0, 0, &data, 0)) || !data) return false;
    SkinCorners(bones, static_cast<SkinVertex*>(data));
    vertexBuffer->Unlock();
    return true;
}
