// Dropped files: SDL's drop events grouped into one drop each, and the drop
// as the window procedure receives it (WM_DROPFILES, DragQueryFileA,
// DragFinish), also when it is never delivered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/window/core/window_api.h"
#include "support/scripted/scripted_window_backend.h"
#include "platform/window/sdl/sdl_drops.h"

namespace {

SDL_DropEvent Drop(Uint32 type, const char* file = nullptr, Uint32 window = 4) {
    SDL_DropEvent event{};
    event.type = type;
    event.file = const_cast<char*>(file);
    event.windowID = window;
    return event;
}

TEST(SdlDropCollectorTest, EachDropBecomesOneGroupOfItsFiles) {
    const std::vector<std::string> none;
    struct Case {
        const char* name;
        std::vector<SDL_DropEvent> events;
        std::vector<std::vector<std::string>> groups;  // one per completed drop
    } cases[] = {
        {"one file",
         {Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, "/a.smd"), Drop(SDL_DROPCOMPLETE)},
         {{"/a.smd"}}},
        {"three files, one group",
         {Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, "/r.smd"), Drop(SDL_DROPFILE, "/c 1.smd"),
          Drop(SDL_DROPFILE, "/sky.dds"), Drop(SDL_DROPCOMPLETE)},
         {{"/r.smd", "/c 1.smd", "/sky.dds"}}},
        {"two drops in a row",
         {Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, "/a"), Drop(SDL_DROPCOMPLETE),
          Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, "/b"), Drop(SDL_DROPCOMPLETE)},
         {{"/a"}, {"/b"}}},
        {"a file without a begin", {Drop(SDL_DROPFILE, "/a"), Drop(SDL_DROPCOMPLETE)}, {{"/a"}}},
        {"text only",
         {Drop(SDL_DROPBEGIN), Drop(SDL_DROPTEXT, "hello"), Drop(SDL_DROPCOMPLETE)},
         {}},
        {"empty and null names",
         {Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, ""), Drop(SDL_DROPFILE, nullptr),
          Drop(SDL_DROPCOMPLETE)},
         {}},
        {"complete without begin", {Drop(SDL_DROPCOMPLETE)}, {}},
        {"never completed", {Drop(SDL_DROPBEGIN), Drop(SDL_DROPFILE, "/a")}, {}},
    };
    for (const Case& c : cases) {
        SdlDropCollector collector;
        std::vector<std::vector<std::string>> groups;
        for (const SDL_DropEvent& event : c.events) {
            std::vector<std::string> files;
            Uint32 window = 0;
            if (collector.Take(event, &files, &window)) {
                groups.push_back(files);
                EXPECT_EQ(window, 4u) << c.name;
            }
        }
        EXPECT_EQ(groups, c.groups) << c.name;
    }
}

std::vector<std::vector<std::string>> droppedFiles;
std::vector<UINT> seen;

LRESULT DropProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back(message);
    if (message != WM_DROPFILES) return DefWindowProcA(window, message, wParam, lParam);
    HDROP drop = reinterpret_cast<HDROP>(wParam);
    std::vector<std::string> files;
    UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string path(DragQueryFileA(drop, i, nullptr, 0), '\0');
        EXPECT_EQ(DragQueryFileA(drop, i, path.data(), UINT(path.size() + 1)), path.size());
        files.push_back(path);
    }
    char small[4] = "xyz";
    EXPECT_EQ(DragQueryFileA(drop, 0, small, 3), 2u);  // cut short, always terminated
    EXPECT_EQ(std::string(small), files[0].substr(0, 2));
    EXPECT_EQ(DragQueryFileA(drop, count, small, 4), 0u);
    DragFinish(drop);
    EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 0u);  // gone with the finish
    droppedFiles.push_back(files);
    return 0;
}

class DropMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        droppedFiles.clear();
        seen.clear();
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = DropProcedure;
        windowClass.lpszClassName = "drops";
        RegisterClassA(&windowClass);
        window =
            CreateWindowExA(0, "drops", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    }
    int Loop() {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        return int(message.wParam);
    }
    ScriptedWindowBackend backend;
    HWND window = nullptr;
};

TEST_F(DropMessageTest, EveryDropArrivesOnceWithItsFilesInOrder) {
    backend.PushDrop({"/home/a b/Ref.smd", "/x/clip.smd"});
    backend.PushKeyDown('W');
    backend.PushDrop({"/sky.dds"});
    backend.End();
    Loop();
    EXPECT_EQ(droppedFiles, (std::vector<std::vector<std::string>>{
                                {"/home/a b/Ref.smd", "/x/clip.smd"}, {"/sky.dds"}}));
    EXPECT_EQ(seen, (std::vector<UINT>{WM_CREATE, WM_DROPFILES, WM_KEYDOWN, WM_DROPFILES}));
}

TEST_F(DropMessageTest, ADropThatIsNeverDeliveredIsFreedWithItsWindow) {
    backend.Push(WM_CLOSE);
    backend.PushDrop({"/a.smd"});  // queued behind the close: goes with the window
    backend.End();
    MSG message;
    HDROP queued = nullptr;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_CLOSE) {
            ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
            queued = reinterpret_cast<HDROP>(message.wParam);
            EXPECT_EQ(DragQueryFileA(queued, 0xFFFFFFFFu, nullptr, 0), 1u);
            DestroyWindow(window);
        }
    }
    EXPECT_EQ(DragQueryFileA(queued, 0xFFFFFFFFu, nullptr, 0), 0u);
    EXPECT_TRUE(droppedFiles.empty());
}

TEST_F(DropMessageTest, LossesOfThePictureBeforeARepaintNeedOnlyOne) {
    for (int i = 0; i < 3; ++i) backend.Push(WM_PAINT);
    backend.Idle();
    backend.Push(WM_PAINT);
    backend.End();
    Loop();
    EXPECT_EQ(seen, (std::vector<UINT>{WM_CREATE, WM_PAINT, WM_PAINT}));
}

}  // namespace
