// How the clip moves: the step PlaybackControl gives each frame, and where
// seeking, stepping and playing (looping or not, per frame or in real time)
// put a clip, against a model on the recording device.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "../model/model_test_support.h"
#include "scene/playback_control.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PlaybackControlTest, StepForEachTimingSpeedAndGap) {
    struct Case {
        const char* what;
        PlaybackTiming timing;
        bool playing;
        float speed;
        float keyframesPerSecond;
        double seconds;
        float step;
    } cases[] = {
        {"per frame: 0.01 a frame", PlaybackTiming::PerFrame, true, 1.0f, 30, 0.5, 0.01f},
        {"per frame, paused", PlaybackTiming::PerFrame, false, 1.0f, 30, 0.5, 0.0f},
        {"speed above 4× is 4×", PlaybackTiming::PerFrame, true, 100.0f, 30, 0.5, 0.04f},
        {"speed below 0.1× is 0.1×", PlaybackTiming::PerFrame, true, 0.0f, 30, 0.5, 0.001f},
        {"speed not a number is 1×", PlaybackTiming::PerFrame, true, kNaN, 30, 0.5, 0.01f},
        {"real time: half a second", PlaybackTiming::RealTime, true, 1.0f, 30, 0.5, 15.0f},
        {"real time, 0.5×", PlaybackTiming::RealTime, true, 0.5f, 30, 0.5, 7.5f},
        {"real time, --fps 1000, 4×", PlaybackTiming::RealTime, true, 4.0f, 1000, 0.01, 40.0f},
        {"real time, the first frame", PlaybackTiming::RealTime, true, 1.0f, 30, 0.0, 0.0f},
        {"real time, a stall counts 1 s", PlaybackTiming::RealTime, true, 1.0f, 30, 60.0, 30.0f},
        {"real time, no rate", PlaybackTiming::RealTime, true, 1.0f, kNaN, 0.5, 0.0f},
    };
    for (const Case& c : cases) {
        PlaybackControl control;
        control.timing = c.timing;
        control.playing = c.playing;
        control.speed = c.speed;
        control.keyframesPerSecond = c.keyframesPerSecond;
        EXPECT_FLOAT_EQ(control.StepFor(c.seconds), c.step) << c.what;
    }
    // The default is exactly the step the program has always taken.
    EXPECT_EQ(PlaybackControl().StepFor(0.25), 0.01f);
}

// A clip of 4 keyframes: in keyframe f bone 0 stands at (10 f, 0, 0).
const char kClip[] =
    "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\n"
    "time 1\n0 10 0 0 0 0 0\ntime 2\n0 20 0 0 0 0 0\ntime 3\n0 30 0 0 0 0 0\nend\n";
const std::string kReference =
    "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\n"
    "triangles\nm\n0 1 2 3 0 0 1 0 0\n0 4 5 6 0 1 0 0 0\n0 7 8 9 1 0 0 0 0\nend\n";

class ClipPlayback : public model_test::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ASSERT_TRUE(LoadReferenceText(kReference));
        ASSERT_TRUE(LoadAnimationText(kClip));
    }
    // One frame: the pose drawn, then the clip moved by step.
    void Draw(float step, ClipMotion motion = {}) {
        ASSERT_TRUE(model->UpdateAndDraw(device, gfx::D3DFILL_SOLID, 0, 4, step, 0, motion));
    }
    // Bone 0's x in the pose last drawn: 10 × the keyframe position it shows.
    float PosedX() const { return model->meshes[0].bones[0].absoluteMatrix.m[3][0]; }
};

TEST_F(ClipPlayback, SeekAndStepPutTheClipWhereTheySay) {
    struct Case {
        const char* what;
        float seekTo;
        int step;  // 0: none
        bool loop;
        float position;
    } cases[] = {
        {"between keyframes", 2.5f, 0, true, 2.5f},
        {"before the first: the first", -3.0f, 0, true, 0.0f},
        {"past the last: the last", 99.0f, 0, true, 3.0f},
        {"not a number: the first", kNaN, 0, true, 0.0f},
        {"forward from the last wraps", 3.0f, 1, true, 0.0f},
        {"forward from the last stops", 3.0f, 1, false, 3.0f},
        {"back from the first wraps", 0.0f, -1, true, 3.0f},
        {"back from the first stops", 0.0f, -1, false, 0.0f},
        {"forward from between keyframes", 1.5f, 1, true, 2.0f},
        {"back from between keyframes", 1.5f, -1, true, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SeekClip(model.get(), 0, c.seekTo));
        ASSERT_TRUE(c.step == 0 || StepClip(model.get(), 0, c.step, c.loop));
        EXPECT_EQ(ClipPosition(*model, 0), c.position);
        // The next frame draws that position, paused or not.
        Draw(0.0f);
        EXPECT_FLOAT_EQ(PosedX(), 10.0f * c.position);
    }
    // A clip that is not loaded is left alone.
    EXPECT_FALSE(SeekClip(model.get(), 1, 1.0f));
    EXPECT_FALSE(StepClip(model.get(), -1, 1, true));
    EXPECT_FALSE(SeekClip(nullptr, 0, 1.0f));
    EXPECT_EQ(ClipPosition(*model, 7), 0.0f);
}

// A scrubbed keyframe shows what playing shows on reaching it, and any
// position drawn while playing is drawn again after seeking to it.
TEST_F(ClipPlayback, ThePoseDependsOnlyOnThePosition) {
    SkinnedModel& played = *model;
    // Per drawn frame, keyframe k (k >= 1) is reached by frame 1 + 101 k.
    std::vector<float> atKeyframe;
    for (int frame = 1; frame <= 1 + 101 * 3; ++frame) {
        Draw(0.01f);
        if ((frame - 1) % 101 == 0 && frame > 1) atKeyframe.push_back(PosedX());
    }
    ASSERT_EQ(atKeyframe.size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        ASSERT_TRUE(SeekClip(&played, 0, float(k)));
        Draw(0.0f);
        EXPECT_EQ(PosedX(), atKeyframe[size_t(k - 1)]) << "keyframe " << k;
    }
    // In between, and in real time.
    for (ClipMotion motion : {ClipMotion{}, ClipMotion{true, true}}) {
        ASSERT_TRUE(SeekClip(&played, 0, 0.0f));
        for (int frame = 0; frame < 37; ++frame) Draw(0.123f, motion);
        const float position = ClipPosition(played, 0);
        Draw(0.0f, motion);
        const float x = PosedX();
        ASSERT_TRUE(SeekClip(&played, 0, position));
        Draw(0.0f, motion);
        EXPECT_NEAR(PosedX(), x, 1e-5f) << position;
        EXPECT_NEAR(x, 10.0f * position, 1e-4f) << position;
    }
}

TEST_F(ClipPlayback, RealTimeCarriesWholeKeyframesAndPerFrameDropsThem) {
    struct Case {
        const char* what;
        ClipMotion motion;
        float step;
        std::vector<float> positions;  // after each frame
    } cases[] = {
        // The first interval holds keyframe 0 (it blends 0 towards itself).
        {"real time, 2.5 a frame", {true, true}, 2.5f, {2.5f, 1.0f, 3.5f, 2.0f, 0.5f}},
        {"real time, no loop", {false, true}, 2.5f, {2.5f, 3.0f, 3.0f}},
        {"real time, 9 a frame wraps", {true, true}, 9.0f, {1.0f, 2.0f, 3.0f}},
        {"per frame, 2.5 a frame", {true, false}, 2.5f, {1.0f, 2.0f, 3.0f, 0.0f, 1.0f}},
        {"per frame, no loop", {false, false}, 2.5f, {1.0f, 2.0f, 3.0f, 3.0f}},
        {"per frame, 0.5 a frame", {true, false}, 0.5f, {0.0f, 1.0f, 1.5f, 2.0f, 2.5f}},
    };
    for (const Case& c : cases) {
        model->clips[0].Seek(0.0f);
        model->clips[0].nextFrame = 0;  // as loaded: the first interval
        std::vector<float> positions;
        for (size_t frame = 0; frame < c.positions.size(); ++frame) {
            Draw(c.step, c.motion);
            positions.push_back(ClipPosition(*model, 0));
        }
        EXPECT_EQ(positions, c.positions) << c.what;
    }
}

}  // namespace
