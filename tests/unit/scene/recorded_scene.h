// A renderer on the recording device with the environment box and the
// scene's effect, read from a fresh working folder that holds the effect and
// the cube map, and a frame renderer over them. Fixtures built on it add the
// model once SetUp has made the device. At the end the scene is released and
// only the HUD's font may be left on the device.
#pragma once

#include <gtest/gtest.h>

#include "model/load_context.h"
#include "platform/gfx/recording/recorder.h"
#include "render/renderer.h"
#include "scene/effect_setup.h"
#include "scene/frame_renderer.h"
#include "scene/scene.h"
#include "support/dds_files.h"
#include "support/temp_folder.h"

class RecordedSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        gfx::recording::GetRecorder().Reset();
        folder.Write("Shaders/ReflectionOrRefraction.fx", "technique TShader {}");
        folder.Write("Textures/Snow.dds", rrtest::StandInCubeMap());
        folder.Enter();
        ASSERT_EQ(renderer.InitDevice(gfx::recording::CreateDirect3D, nullptr, 800, 600, 20),
                  gfx::S_OK);
        gfx::Device* device = renderer.device;
        ASSERT_EQ(scene.box.Create(device, kEnvironmentMapPath), gfx::S_OK);
        ASSERT_EQ(CreateEffectObjects(device, scene.vertexDeclaration, scene.effect,
                                      scene.technique, LoadContext{}, kEffectPath, true),
                  gfx::S_OK);
        ASSERT_NE(scene.effect, nullptr);
    }
    void TearDown() override {
        scene.Release();
        EXPECT_EQ(renderer.device->GetLiveObjectCount(), 1u);  // the font
        renderer.ReleaseDevice();
    }

    rrtest::TempFolder folder;
    Renderer renderer;
    Scene scene;
    HudState hud;
    FrameRenderer frame{renderer, scene, hud, FrameSettings{}};
};
