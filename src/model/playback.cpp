// Per-frame playback: step the clip, blend bone matrices, skin on the CPU and
// draw every mesh one triangle per call.
#include "model/skinned_model.h"
#include "model/skinning.h"

namespace {

// (1 - blend) × a + blend × b, element by element in single precision.
void BlendMatrices(const Matrix4& a, const Matrix4& b, float blend, Matrix4* out) {
    float keep = 1.0f - blend;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out->m[r][c] = keep * a.m[r][c] + blend * b.m[r][c];
}

}  // namespace

bool SkinnedModel::AdvanceClip(int startFrame, int endFrame, float timeStep, int clipIndex) {
    // An index past the loaded clips is refused before anything changes.
    if (clipIndex < 0 || clipIndex >= clipCount) return false;
    currentClip = clipIndex;
    AnimationClip& clip = clips[currentClip];

    if (clip.currentFrame < startFrame) clip.currentFrame = startFrame;
    if (startFrame < 0 || endFrame < 0 || startFrame >= clip.frameCount ||
        endFrame > clip.frameCount)
        return false;

    if (clip.blend >= 1.0f) {
        // The part above 1 is dropped, not carried into the next interval.
        clip.blend = 0.0f;
        clip.currentFrame += 1;
        if (clip.currentFrame >= endFrame) clip.currentFrame = startFrame;
        clip.nextFrame = clip.currentFrame + 1;
        if (clip.nextFrame >= endFrame) clip.nextFrame = startFrame;
    }

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
    return true;
}

bool SkinnedModel::UpdateAndDraw(gfx::Device* drawDevice, uint32_t fillMode, int startFrame,
                                 int endFrame, float timeStep, int clipIndex) {
    if (!AdvanceClip(startFrame, endFrame, timeStep, clipIndex)) return false;
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
