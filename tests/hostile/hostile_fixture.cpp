#include "hostile_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/gfx/effect/effect.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/gfx/gl/gl_services.h"
#include "platform/window/core/message_box.h"
#include "platform/window/sdl/native_window.h"

namespace hostile {

Scratch::Scratch() {
    char pattern[] = "/tmp/hostile_XXXXXX";
    folder_ = mkdtemp(pattern);
}

Scratch::~Scratch() { std::filesystem::remove_all(folder_); }

std::string Scratch::Write(const std::string& name, const Bytes& bytes) {
    std::string path = folder_ + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 std::streamsize(bytes.size()));
    return path;
}

std::string Scratch::Write(const std::string& name, const std::string& text) {
    return Write(name, Bytes(text.begin(), text.end()));
}

std::string Scratch::Fifo(const std::string& name) {
    std::string path = folder_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
}

std::string Scratch::Folder(const std::string& name) {
    std::string path = folder_ + "/" + name;
    std::filesystem::create_directories(path);
    return path;
}

std::string Scratch::Link(const std::string& name, const std::string& target) {
    std::string path = folder_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0);
    return path;
}

std::string Scratch::Sparse(const std::string& name, uint64_t size, const Bytes& head) {
    std::string path = Write(name, head);
    EXPECT_EQ(truncate(path.c_str(), off_t(size)), 0);
    return path;
}

StderrCapture::StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(2);
    dup2(fileno(file_), 2);
}

StderrCapture::~StderrCapture() { Take(); }

std::string StderrCapture::Take() {
    if (saved_ < 0) return {};
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    saved_ = -1;
    std::string text;
    std::rewind(file_);
    for (int c; (c = std::fgetc(file_)) != EOF;) text += char(c);
    std::fclose(file_);
    std::fprintf(stderr, "%s", text.c_str());  // still shown in the test's log
    return text;
}

namespace {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

int RecordBox(HWND, const char* text, const char* caption, UINT) {
    Boxes().push_back({caption ? caption : "", text ? text : ""});
    return 1;
}

}  // namespace

std::vector<ShownBox> TakeMessageBoxes() {
    std::vector<ShownBox> boxes;
    boxes.swap(Boxes());
    return boxes;
}

void HostileFileTest::SetUp() {
    setenv("RR_GL_DEBUG", "1", 1);
    if (!std::getenv("DISPLAY") ||
        (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)) {
        GTEST_SKIP() << "no X display with SDL video";
    }
    SetOpenGlWindowAttributes();
    window = SDL_CreateWindow("hostile files", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 64,
                              64, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) GTEST_SKIP() << "no OpenGL window";
    hwnd = WrapSdlWindow(window);
    gfx::gl::Install();
    gfx::effect::Install();
    SetMessageBoxHandler(&RecordBox);
    TakeMessageBoxes();
    d3d = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    gfx::PresentParameters pp;
    pp.backBufferWidth = 64;
    pp.backBufferHeight = 64;
    pp.windowed = 1;
    pp.swapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    pp.enableAutoDepthStencil = 1;
    pp.autoDepthStencilFormat = gfx::D3DFMT_D24S8;
    pp.presentationInterval = gfx::D3DPRESENT_INTERVAL_IMMEDIATE;
    if (gfx::Failed(d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, hwnd,
                                      gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device))) {
        GTEST_SKIP() << "no OpenGL 4.5 core context";
    }
    // States away from their defaults, so that a loader resetting them shows.
    device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_WIREFRAME);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
    gfx::gl::MakeCurrent(device);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
}

void HostileFileTest::TearDown() {
    SetMessageBoxHandler(nullptr);
    if (device) {
        EXPECT_EQ(device->GetLiveObjectCount(), 0u);
        gfx::SafeRelease(device);
    }
    gfx::SafeRelease(d3d);
    if (hwnd) FreeWrappedWindow(hwnd);
    if (window) SDL_DestroyWindow(window);
}

DeviceState HostileFileTest::Snapshot() {
    DeviceState state;
    state.liveObjects = device->GetLiveObjectCount();
    state.glErrors = gfx::gl::GetGlErrorCount(device);
    const gfx::RenderState ids[] = {gfx::D3DRS_FILLMODE, gfx::D3DRS_CULLMODE, gfx::D3DRS_ZENABLE,
                                    gfx::D3DRS_ZWRITEENABLE};
    for (int i = 0; i < 4; ++i) device->GetRenderState(ids[i], &state.renderStates[i]);
    gfx::gl::MakeCurrent(device);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &state.unpackAlignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture2d);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &state.textureCube);
    glGetIntegerv(GL_CURRENT_PROGRAM, &state.program);
    return state;
}

}  // namespace hostile
