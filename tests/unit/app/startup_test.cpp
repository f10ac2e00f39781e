#include <cstdlib>
#include <new>

#include "support/dds_files.h"
#include "app/exit_codes.h"
#include "app/startup_failure.h"
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
    EXPECT_EQ(
        window.style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
        WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    EXPECT_TRUE(window.hasApplicationIcon);
    EXPECT_EQ(window.showCommands, (std::vector<int>{SW_SHOWNORMAL}));
    EXPECT_EQ(window.clientSizes.back(), (std::pair<int, int>{800, 600}));
    EXPECT_FALSE(window.destroyed);  // Escape quits without destroying the window
    EXPECT_EQ(backend->quitRequests, (std::vector<int>{0}));
    EXPECT_TRUE(backend->messageBoxes.empty());  // no model files: no message either

    EXPECT_EQ(App().windowClass.style, CS_HREDRAW | CS_VREDRAW);
    EXPECT_EQ(App().windowClass.lpfnWndProc, &StaticWindowProc);

    const std::vector<std::string> creation = {"Direct3DCreate9",
                                               "GetDeviceCaps",
                                               "CreateDevice",
                                               "CreateFont",
                                               "CreateVertexBuffer",
                                               "CreateIndexBuffer",
                                               "CreateCubeTextureFromPrepared",
                                               "CreateVertexDeclaration",
                                               "CreateEffectFromFile"};
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
    ASSERT_NE(App().scene.model, nullptr);
    EXPECT_EQ(App().scene.model->meshCount, 0);  // the model files are missing
    // Each clip file keeps its slot, empty.
    ASSERT_EQ(App().scene.model->clipCount, 3);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(App().scene.model->clips[c].frameCount, 0);
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
    const Scene& scene = App().scene;
    std::vector<uint32_t> order = {
        IdOf(scene.effect),           IdOf(scene.vertexDeclaration),  IdOf(scene.box.indexBuffer),
        IdOf(scene.box.vertexBuffer), IdOf(scene.box.environmentMap), IdOf(App().renderer.font),
        IdOf(App().renderer.device),  IdOf(App().renderer.direct3D)};
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
    EXPECT_EQ(App().scene.model, nullptr);
    EXPECT_EQ(App().renderer.device, nullptr);
}

TEST_F(AppTest, EffectThatDoesNotCompileShowsOneBoxOverTheVisibleWindowAndRunsWithTheHud) {
    Recorder().failing.insert("CreateEffectFromFile");
    Recorder().effectErrorText =
        "ReflectionOrRefraction.fx(12,3): error X3004: undeclared identifier";
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
    EXPECT_EQ(App().scene.effect, nullptr);
    EXPECT_GE(Count("Present"), 2u);
    EXPECT_EQ(Count("BeginPass"), 0u);
    EXPECT_EQ(Count("DrawTextA"), 7 * Count("Present"));
}

bool stopAsked = false;
bool StopAsked() { return stopAsked; }

// A stop signal while a start-up box is open skips the model files still to
// load (each would show its own box here), and the loop then ends.
TEST_F(AppTest, StopAskedDuringStartupSkipsTheRemainingFiles) {
    WriteCharacter("not an SMD file\n", "not an SMD file\n");
    services.stopRequested = StopAsked;
    for (bool stop : {false, true}) {
        Restart();
        Recorder().failing.insert("CreateEffectFromFile");
        stopAsked = false;
        backend->onMessageBox = [&](const ScriptedWindowBackend::MessageBoxRecord&) {
            stopAsked = stop;  // the signal comes while the effect's box is open
            return IDOK;
        };
        backend->End();
        EXPECT_EQ(Run(), kExitQuit);
        EXPECT_EQ(backend->messageBoxes.size(), stop ? 1u : 5u);  // the effect's, then the files'
    }
}

class StartupFailureTest : public AppTest {
protected:
    // Runs and checks what every start-up failure shares: exit code 1, the
    // window never shown, everything released, one stderr line and one box
    // with the same text, which is left in errors.
    void RunExpectingFailure() {
        EXPECT_EQ(RunQuietly(), kExitStartFailed);
        EXPECT_FALSE(backend->AnyWindowShown());
        EXPECT_EQ(App().renderer.direct3D, nullptr);
        EXPECT_EQ(App().renderer.device, nullptr);
        EXPECT_EQ(App().scene.box.vertexBuffer, nullptr);
        EXPECT_EQ(App().scene.box.indexBuffer, nullptr);
        EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("reflect-refract: cannot start: ", 0), 0u) << errors;
        EXPECT_EQ(backend->messageBoxes.size(), 1u);
        for (const auto& box : backend->messageBoxes) {
            EXPECT_EQ(box.caption, "reflect-refract");
            EXPECT_EQ("reflect-refract: " + box.text + "\n", errors);
        }
    }
};

const std::string kOpenGlFoundOld =
    "OpenGL 4.5 core profile needed; this display offers 3.3 (llvmpipe)";

TEST_F(StartupFailureTest, NoDeviceSaysWhatTheDeviceLayerFound) {
    const struct {
        std::string found;  // by the device layer
        std::string said;   // a part of stderr
    } cases[] = {{"", "graphics device"}, {kOpenGlFoundOld, kOpenGlFoundOld + "; "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        Restart();
        Recorder().failing.insert("CreateDevice");
        Recorder().creationFailure = c.found;
        RunExpectingFailure();
        EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
        EXPECT_EQ(Count("CreateVertexBuffer"), 0u);
        EXPECT_EQ(Recorder().Named("Release").size(), 1u);  // the Direct3D object
    }
}

// Each way the cube map can fail names the file and the reason; a format
// problem also names the formats that are read.
TEST_F(StartupFailureTest, CubeMapFailureNamesThePathAndTheReason) {
    using rrtest::DdsFormat;
    std::vector<uint8_t> flat = rrtest::SolidDds(DdsFormat::X8R8G8B8, 4, 4, 1, {{{1, 2, 3, 255}}});
    std::vector<uint8_t> cube =
        rrtest::SolidDds(DdsFormat::X8R8G8B8, 4, 4, 1, {6, {{1, 2, 3, 255}}});
    std::vector<uint8_t> rgb24 = cube;
    rgb24[4 + 72 + 12] = 24;  // bits per pixel
    const std::string formats = "A8R8G8B8, X8R8G8B8, A8B8G8R8, DXT1, DXT3 or DXT5";
    struct Case {
        bool present;
        std::vector<uint8_t> bytes;
        std::vector<std::string> said;
    } cases[] = {
        {false, {}, {"No such file or directory"}},
        {true, {'B', 'M', 0, 0}, {"shorter than the DDS header"}},
        {true, rgb24, {"unsupported pixel format", formats}},
        {true, flat, {"not a cube map", formats}},
        {true, cube, {"could not make a cube texture"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said[0]);
        Restart();
        // Read ahead or not, the cube map's texture is refused.
        Recorder().failing.insert({"CreateCubeTextureFromFile", "CreateCubeTextureFromPrepared"});
        std::filesystem::remove("Textures/Snow.dds");
        if (c.present) {
            std::ofstream("Textures/Snow.dds", std::ios::binary)
                .write(reinterpret_cast<const char*>(c.bytes.data()),
                       std::streamsize(c.bytes.size()));
        }
        RunExpectingFailure();
        EXPECT_NE(errors.find((folder.Path() / "Textures/Snow.dds").string() + ": "),
                  std::string::npos)
            << errors;
        for (const std::string& part : c.said)
            EXPECT_NE(errors.find(part), std::string::npos) << errors;
    }
}

// The box takes code page 949: Hangul in a path survives, what the code
// page lacks becomes '?'; stderr keeps UTF-8.
TEST_F(StartupFailureTest, BoxTextIsCodePage949) {
    ::testing::internal::CaptureStderr();
    ReportStartupFailure(services.failureReport,
                         "/home/\xEC\x82\xAC\xEC\x9A\xA9\xEC\x9E\x90 \xE2\x98\x83.");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "reflect-refract: cannot start: /home/\xEC\x82\xAC\xEC\x9A\xA9\xEC\x9E\x90 "
              "\xE2\x98\x83.\n");
    ASSERT_EQ(backend->messageBoxes.size(), 1u);
    EXPECT_EQ(backend->messageBoxes[0].text, "cannot start: /home/\xBB\xE7\xBF\xEB\xC0\xDA ?.");
}

TEST_F(StartupFailureTest, MissingCubeMapReleasesTheBoxBeforeTheDevice) {
    std::filesystem::remove("Textures/Snow.dds");
    backend->PushKeyDown(VK_ESCAPE);
    RunExpectingFailure();
    std::vector<Call> released = Recorder().Named("Release");
    std::vector<std::string> kinds;
    for (const Call& call : released) kinds.push_back(call.text);
    const std::vector<std::string> expected = {"IndexBuffer", "VertexBuffer", "Font", "Device",
                                               "Direct3D"};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(Count("CreateEffectFromFile"), 0u);
    EXPECT_EQ(App().scene.model, nullptr);
    EXPECT_EQ(backend->PendingCount(), 1u);  // the loop never ran
}

TEST_F(StartupFailureTest, ModelThatCannotBeAllocatedEndsLikeADeviceFailure) {
    failNextAllocationOfSize = sizeof(SkinnedModel);
    int exitCode = RunQuietly();
    failNextAllocationOfSize = 0;
    EXPECT_EQ(exitCode, kExitStartFailed);
    EXPECT_NE(errors.find("model"), std::string::npos) << errors;
    EXPECT_EQ(App().scene.model, nullptr);
    EXPECT_EQ(App().scene.effect, nullptr);
    EXPECT_EQ(App().renderer.device, nullptr);
    EXPECT_EQ(Recorder().devicesReleasedWithLiveObjects, 0);
    EXPECT_EQ(Count("Clear"), 0u);
}

}  // namespace

namespace {

// Where the composition sends a note and a box: the note is always one
// stderr line; the box is shown (with the error icon for start-up
// failures), written as a line with its code page 949 text in UTF-8, or
// dropped.
TEST_F(AppTest, ReportRoutesSendNotesToStderrAndBoxesWhereChosen) {
    const std::string hangul = "\xc6\xc4\xc0\xcf";  // "파일" in code page 949
    struct Case {
        BoxRoute route;
        std::string stderrAfterNote;  // what the box adds to stderr
        int shown;
        UINT type;
    } cases[] = {
        {BoxRoute::Shown, "", 1, MB_OK},
        {BoxRoute::ShownAsErrors, "", 1, MB_OK | MB_ICONERROR},
        {BoxRoute::AsStderrLines, "reflect-refract: Error: \xed\x8c\x8c\xec\x9d\xbc\n", 0, 0},
        {BoxRoute::Dropped, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.route));
        Restart();
        ReportSink sink = StderrReport(c.route);
        ::testing::internal::CaptureStderr();
        sink.Note("model file a.smd, line 2: why");
        sink.Box("Error", hangul.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "reflect-refract: model file a.smd, line 2: why\n" + c.stderrAfterNote);
        ASSERT_EQ(backend->messageBoxes.size(), size_t(c.shown));
        if (c.shown) {
            EXPECT_EQ(backend->messageBoxes[0].text, hangul);
            EXPECT_EQ(backend->messageBoxes[0].caption, "Error");
            EXPECT_EQ(backend->messageBoxes[0].type, c.type);
        }
    }
}

// Started elsewhere, the program reads its files from the data folder it
// chose, by the same short relative paths, and the working folder stays.
TEST_F(AppTest, FilesComeFromTheDataFolderWithoutChangingTheWorkingFolder) {
    rrtest::TempFolder elsewhere;
    std::filesystem::current_path(elsewhere.Path());
    services.dataFolder = FindDataFolder(elsewhere.Path().string(), folder.Path().string());
    ASSERT_EQ(services.dataFolder.chosen, 1);
    services.baseFolder = DataBaseFolder(services.dataFolder, elsewhere.Path().string());
    backend->End();
    EXPECT_EQ(Run(), kExitQuit);
    EXPECT_EQ(std::filesystem::current_path(), elsewhere.Path());
    const std::string data = std::filesystem::canonical(folder.Path()).string();
    ASSERT_EQ(Recorder().Named("CreateCubeTextureFromPrepared").size(), 1u);
    EXPECT_EQ(Recorder().Named("CreateCubeTextureFromPrepared")[0].text,
              data + "/Textures/Snow.dds");
    EXPECT_EQ(Recorder().Named("CreateEffectFromFile")[0].text,
              data + "/Shaders/ReflectionOrRefraction.fx");
    EXPECT_EQ(App().scene.effectDisplayPath, data + "/Shaders/ReflectionOrRefraction.fx");
    EXPECT_EQ(DataBaseFolder(FindDataFolder(folder.Path().string(), ""), folder.Path().string()),
              "");
}

}  // namespace
