#include "hostile_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/gfx/gl/gl_backend.h"

namespace hostile {

Scratch::Scratch() {
    char pattern[] = "/tmp/rr-hostile-XXXXXX";
    folder_ = mkdtemp(pattern);
}

Scratch::~Scratch() { std::filesystem::remove_all(folder_); }

std::string Scratch::File(const std::string& name) const {
    std::string path = folder_ + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return path;
}

std::string Scratch::Write(const std::string& name, const Bytes& bytes) {
    std::string path = File(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::string Scratch::Write(const std::string& name, const std::string& text) {
    return Write(name, Bytes(text.begin(), text.end()));
}

std::string Scratch::Fifo(const std::string& name) {
    std::string path = File(name);
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
}

std::string Scratch::Folder(const std::string& name) {
    std::string path = File(name);
    std::filesystem::create_directories(path);
    return path;
}

std::string Scratch::Link(const std::string& name, const std::string& target) {
    std::string path = File(name);
    EXPECT_EQ(symlink(target.c_str(), path.c_str()), 0);
    return path;
}

std::string Scratch::Sparse(const std::string& name, uint64_t size, const Bytes& head) {
    std::string path = Write(name, head);
    EXPECT_EQ(truncate(path.c_str(), off_t(size)), 0);
    return path;
}

std::string StderrCapture::Take() {
    if (taken_) return {};
    taken_ = true;
    std::string text = ::testing::internal::GetCapturedStderr();
    std::fprintf(stderr, "%s", text.c_str());  // still shown in the test's log
    return text;
}

namespace {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

void RecordBox(void*, const char* caption, const char* text) { Boxes().push_back({caption, text}); }

void PrintNote(void*, const char* text) { std::fprintf(stderr, "reflect-refract: %s\n", text); }

}  // namespace

std::vector<ShownBox> TakeMessageBoxes() {
    std::vector<ShownBox> boxes;
    boxes.swap(Boxes());
    return boxes;
}

LoadContext HostileContext(const std::string& folder) {
    LoadContext context;
    context.baseFolder = folder;
    context.report.note = PrintNote;
    context.report.box = RecordBox;
    return context;
}

void SetStatesAwayFromTheirDefaults(gfx::Device* device) {
    device->SetRenderState(gfx::D3DRS_FILLMODE, gfx::D3DFILL_WIREFRAME);
    device->SetRenderState(gfx::D3DRS_CULLMODE, gfx::D3DCULL_CW);
}

DeviceState SnapshotOf(gfx::Device* device) {
    DeviceState state;
    state.liveObjects = device->GetLiveObjectCount();
    const gfx::RenderState ids[] = {gfx::D3DRS_FILLMODE, gfx::D3DRS_CULLMODE, gfx::D3DRS_ZENABLE,
                                    gfx::D3DRS_ZWRITEENABLE};
    for (int i = 0; i < 4; ++i) device->GetRenderState(ids[i], &state.renderStates[i]);
    return state;
}

void HostileFileTest::SetUp() {
    GlTest::SetUp();
    if (!Ready()) return;
    TakeMessageBoxes();
    SetStatesAwayFromTheirDefaults(device);
    gfx::gl::MakeCurrent(device);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
}

void HostileFileTest::TearDown() { GlTest::TearDown(); }

DeviceState HostileFileTest::Snapshot() {
    DeviceState state = SnapshotOf(device);
    state.glErrors = gfx::gl::GetGlErrorCount(device);
    gfx::gl::MakeCurrent(device);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &state.unpackAlignment);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture2d);
    glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &state.textureCube);
    glGetIntegerv(GL_CURRENT_PROGRAM, &state.program);
    return state;
}

}  // namespace hostile
