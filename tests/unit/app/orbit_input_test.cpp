// The orbit camera's mouse and the re-frame key through the window
// procedure: only in orbit mode (left drag orbits, wheel zooms, middle drag
// pans), Home only with the panel shown; the free camera's right drag and
// keys as before.
#include "app_fixture.h"
#include "render/camera_framing.h"
#include "support/corners_in_view.h"

namespace {

// A box of 20 × 40 × 10 units around (0, 0, 0) in the model's space.
const char kReference[] =
    "version 1\nnodes\n0 \"root\" -1\nend\nskeleton\ntime 0\n0 0 0 0 0 0 0\nend\ntriangles\n"
    "skin.bmp\n0 -10 -20 -5 0 0 1 0 0\n0 10 20 5 0 0 1 0 0\n0 -10 20 5 0 0 1 0 0\nend\n";

class OrbitInputTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        options.model = folder.Write("Ref.smd", kReference);
    }
};

TEST_F(OrbitInputTest, OrbitModeTurnsZoomsAndPansAroundTheModel) {
    struct Mouse {
        UINT message;
        int x, y;
        WPARAM wParam = 0;
    };
    const std::vector<Mouse> wheel = {{WM_MOUSEWHEEL, 0, 0, WPARAM(2 * WHEEL_DELTA) << 16}};
    // A left drag, then a move after the release (no turn).
    const std::vector<Mouse> leftDrag = {{WM_LBUTTONDOWN, 100, 100},
                                         {WM_MOUSEMOVE, 180, 130},
                                         {WM_MOUSEMOVE, 250, 90},
                                         {WM_LBUTTONUP, 250, 90},
                                         {WM_MOUSEMOVE, 400, 400}};
    const std::vector<Mouse> middleDrag = {
        {WM_MBUTTONDOWN, 100, 100}, {WM_MOUSEMOVE, 140, 100}, {WM_MBUTTONUP, 140, 100}};
    const struct Case {
        const char* name;
        bool orbit;
        const std::vector<Mouse>& input;
        bool moves;  // the camera moved
        // Its distance from the model's centre over the framed one; 0: any.
        float distance;
        bool looksAtCentre;  // ... and still looks at it
    } cases[] = {
        {"left drag, free camera", false, leftDrag, false, 1, true},
        {"left drag orbits", true, leftDrag, true, 1, true},
        {"wheel, free camera", false, wheel, false, 1, true},
        {"wheel zooms", true, wheel, true, kZoomPerNotch * kZoomPerNotch, true},
        {"middle drag pans", true, middleDrag, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        App().settings.view.orbit = c.orbit;
        for (const Mouse& m : c.input) backend->PushMouse(m.message, m.x, m.y, m.wParam);
        backend->End();
        ASSERT_EQ(Run(), 0);
        const Camera& camera = App().renderer.camera;
        Vector3 low, high;
        ASSERT_TRUE(App().ModelBox(&low, &high));
        const Vector3 centre = (low + high) * 0.5f;
        const Vector3 start = FrameBox(low, high, App().renderer.projection).position;
        const float startDistance = Vec3Length(start - centre);
        EXPECT_EQ(Vec3Length(camera.position - start) > 1e-3f, c.moves);
        if (c.distance > 0) {
            EXPECT_NEAR(Vec3Length(camera.position - centre), c.distance * startDistance,
                        1e-3f * startDistance);
        }
        if (c.looksAtCentre && c.moves) {
            EXPECT_NEAR(Vec3Dot(Vec3Normalize(centre - camera.position), camera.look), 1, 1e-4f);
        }
        // The view follows the camera.
        Matrix4 view;
        Camera copy = camera;
        copy.BuildViewMatrix(view);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(view.m[i / 4][i % 4], App().renderer.view.m[i / 4][i % 4], 1e-4f);
    }
}

TEST_F(OrbitInputTest, HomeReframesOnlyWithThePanelShownInEitherMode) {
    struct Case {
        bool panel;
        bool orbit;
        bool reframed;
    } cases[] = {{false, false, false}, {true, false, true}, {true, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.panel) + std::to_string(c.orbit));
        Restart();
        options.panel = c.panel ? PanelChoice::Shown : PanelChoice::Hidden;
        App().settings.view.orbit = c.orbit;
        // Away from the model and turned: right drag and keys.
        backend->PushMouse(WM_RBUTTONDOWN, 0, 0);
        backend->PushMouse(WM_MOUSEMOVE, 300, 100);
        backend->PushMouse(WM_RBUTTONUP, 300, 100);
        for (int i = 0; i < 5; ++i) backend->PushKeyDown('D');
        backend->PushKeyDown(VK_HOME);
        backend->End();
        ASSERT_EQ(Run(), 0);
        Vector3 low, high;
        ASSERT_TRUE(App().ModelBox(&low, &high));
        EXPECT_EQ(
            rrtest::CornersInView(low, high, App().renderer.view, App().renderer.projection, true),
            c.reframed);
        if (c.reframed && !c.orbit) {
            EXPECT_NEAR(App().renderer.camera.look.z, 1.0f, 1e-6f);  // the start axes
        }
    }
}

}  // namespace
