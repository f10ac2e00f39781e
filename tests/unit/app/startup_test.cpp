#include <cstdlib>
#include <new>

#include "app_fixture.h"
#include "model/skinned_model.h"

// Lets a test make the model's allocation fail: the nothrow form of operator
// new returns null for the next request of exactly this many bytes.
static size_t failNextAllocationOfSize = 0;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failNextAllocationOfSize != 0 && size == failNextAllocationOfSize) {
        failNextAllocationOfSize = 0;
        return nullptr;
    }
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

using gfx::recording::Call;
using gfx::recording::IdOf;

TEST_F(AppTest, StartsUpInOrderShowsTheWindowAndEscapeEndsWithZero) {
    backend->PushKeyDown(VK_ESCAPE);
    EXPECT_EQ(Run(), 0);

    ASSERT_EQ(backend->windows.size(), 1u);
    const ScriptedWindowBackend::WindowRecord& window = backend->windows[0];
    EXPECT_EQ(window.title, "[Tesnal] Reflection/Refraction for HLSL");
    EXPECT_EQ(window.className, "[Tesnal] Reflection/Refraction for HLSL");
    EXPECT_EQ(window.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    EXPECT_TRUE(window.hasApplicationIcon);
    EXPECT_EQ(window.showCommands, (std::vector<int>{SW_SHOWNORMAL}));
    EXPECT_EQ(window.clientSizes.back(), (std::pair<int, int>{800, 600}));
    EXPECT_FALSE(window.destroyed);  // Escape quits without destroying the window
    EXPECT_EQ(backend->quitRequests, (std::vector<int>{0}));
    EXPECT_TRUE(backend->messageBoxes.empty());  // no model files: no message either

    EXPECT_EQ(App().windowClass.style, CS_HREDRAW | CS_VREDRAW);
    EXPECT_EQ(App().windowClass.lpfnWndProc, &StaticWindowProc);

    const std::vector<std::string> creation = {
        "Direct3DCreate9",   "GetDeviceCaps",     "CreateDevice",
        "CreateFont",        "CreateVertexBuffer", "CreateIndexBuffer",
        "CreateCubeTextureFromFile", "CreateVertexDeclaration", "CreateEffectFromFile"};
    size_t at = 0;
    for (const std::string& name : creation) {
        int found = Recorder().Find(name, at);
        ASSERT_GE(found, 0) << name;
        at = size_t(found) + 1;
    }
    EXPECT_EQ(Count("Clear"), 0u);  // quit came before the first idle turn
    EXPECT_EQ(App().renderer.textColor.r, 0.0f);
    EXPECT_EQ(App().renderer.textColor.g, 1.0f);
    EXPECT_EQ(App().renderer.textColor.b, 1.0f);
    ASSERT_NE(App().model, nullptr);
    EXPECT_EQ(App().model->meshCount, 0);  // the model files are missing
    EXPECT_EQ(App().model->clipCount, 0);
}

TEST_F(AppTest, ClosingTheWindowDestroysItAndEndsWithZero) {
    backend->Push(WM_CLOSE);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(backend->windows[0].destroyed);
    EXPECT_EQ(backend->quitRequests, (std::vector<int>{0}));
}

TEST_F(AppTest, TeardownReleasesEverythingInOrderBeforeTheDevice) {
    backend->End();
    EXPECT_EQ(Run(), 0);
    std::vector<uint32_t> order = {IdOf(App().effect),          IdOf(App().vertexDeclaration),
                                   IdOf(App().boxIndexBuffer),  IdOf(App().boxVertexBuffer),
                                   IdOf(App().environmentMap), IdOf(App().renderer.font),
                                   IdOf(App().renderer.device), IdOf(App().renderer.direct3D)};
    for (uint32_t id : order) ASSERT_NE(id, 0u);
    Recorder().calls.clear();
    App().ReleaseAll();
    std::vector<Call> released = Recorder().Named("Release");
    ASSERT_EQ(released.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(released[i].object, order[i]) << i;
        EXPECT_EQ(released[i].args[0], 0.0) << i;
    }
    EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
    EXPECT_EQ(App().model, nullptr);
    EXPECT_EQ(App().renderer.device, nullptr);
}

TEST_F(AppTest, EffectThatDoesNotCompileShowsOneBoxOverTheVisibleWindowAndRunsWithTheHud) {
    Recorder().failing.insert("CreateEffectFromFile");
    Recorder().effectErrorText = "ReflectionOrRefraction.fx(12,3): error X3004: undeclared identifier";
    bool shownWhenBoxAppeared = false;
    backend->onMessageBox = [&](const ScriptedWindowBackend::MessageBoxRecord&) {
        shownWhenBoxAppeared = backend->AnyWindowShown();
        return IDOK;
    };
    backend->Idle();
    backend->Idle();
    backend->End();
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(backend->messageBoxes.size(), 1u);
    EXPECT_EQ(backend->messageBoxes[0].caption, "ERROR");
    EXPECT_EQ(backend->messageBoxes[0].text, Recorder().effectErrorText);
    EXPECT_TRUE(shownWhenBoxAppeared);
    EXPECT_EQ(App().effect, nullptr);
    EXPECT_GE(Count("Present"), 2u);
    EXPECT_EQ(Count("BeginPass"), 0u);
    EXPECT_EQ(Count("DrawTextA"), 7 * Count("Present"));
}

class StartupFailureTest : public AppTest {
protected:
    // Runs and checks what every start-up failure shares: exit code 0, the
    // window never shown, no message box, everything released, one stderr line.
    std::string RunExpectingFailure() {
        ::testing::internal::CaptureStderr();
        int exitCode = Run();
        std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(exitCode, 0);
        EXPECT_FALSE(backend->AnyWindowShown());
        EXPECT_TRUE(backend->messageBoxes.empty());
        EXPECT_EQ(App().renderer.direct3D, nullptr);
        EXPECT_EQ(App().renderer.device, nullptr);
        EXPECT_EQ(App().boxVertexBuffer, nullptr);
        EXPECT_EQ(App().boxIndexBuffer, nullptr);
        EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("reflect-refract: ", 0), 0u) << errors;
        return errors;
    }
};

TEST_F(StartupFailureTest, NoDeviceEndsSilentlyApartFromOneLine) {
    Recorder().failing.insert("CreateDevice");
    std::string errors = RunExpectingFailure();
    EXPECT_NE(errors.find("graphics device"), std::string::npos) << errors;
    EXPECT_EQ(Count("CreateVertexBuffer"), 0u);
    EXPECT_EQ(Recorder().Named("Release").size(), 1u);  // the Direct3D object
}

TEST_F(StartupFailureTest, MissingCubeMapNamesThePathAndReleasesTheBoxBeforeTheDevice) {
    std::filesystem::remove("Textures/Snow.dds");
    backend->PushKeyDown(VK_ESCAPE);
    std::string errors = RunExpectingFailure();
    EXPECT_NE(errors.find("\"./Textures/Snow.dds\""), std::string::npos) << errors;
    EXPECT_NE(errors.find(folder.Path().filename().string()), std::string::npos) << errors;

    std::vector<Call> released = Recorder().Named("Release");
    std::vector<std::string> kinds;
    for (const Call& call : released) kinds.push_back(call.text);
    const std::vector<std::string> expected = {"IndexBuffer", "VertexBuffer", "Font", "Device",
                                               "Direct3D"};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(Count("CreateEffectFromFile"), 0u);
    EXPECT_EQ(App().model, nullptr);
    EXPECT_EQ(backend->PendingCount(), 1u);  // the loop never ran
}

TEST_F(StartupFailureTest, ModelThatCannotBeAllocatedEndsLikeADeviceFailure) {
    failNextAllocationOfSize = sizeof(SkinnedModel);
    ::testing::internal::CaptureStderr();
    int exitCode = Run();
    std::string errors = ::testing::internal::GetCapturedStderr();
    failNextAllocationOfSize = 0;
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(errors.find("model"), std::string::npos) << errors;
    EXPECT_EQ(App().model, nullptr);
    EXPECT_EQ(App().effect, nullptr);
    EXPECT_EQ(App().renderer.device, nullptr);
    EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
    EXPECT_EQ(Count("Clear"), 0u);
}

}  // namespace
