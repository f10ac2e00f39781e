// The GL driver loaded on a thread of its own while SDL starts: nothing is
// started where it cannot help or does not pay, and a window's GL works
// after the thread has closed the connection that loaded the driver.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/window/sdl/gl_driver_prewarm.h"
#include "support/scoped_variable.h"

namespace {

using rrtest::ScopedVariable;

struct Quiet {
    const char* name;
    const char* variable;
    std::optional<std::string> value;
    bool composeTableCached;
};

class GlDriverPrewarmQuietTest : public ::testing::TestWithParam<Quiet> {};

TEST_P(GlDriverPrewarmQuietTest, StartsNoThread) {
    ScopedVariable noSwitch("RR_GL_PREWARM", std::nullopt);  // only the row's variable decides
    ScopedVariable set(GetParam().variable, GetParam().value);
    GlDriverPrewarm prewarm;
    prewarm.Start(GetParam().composeTableCached);
    EXPECT_FALSE(prewarm.Started());
    prewarm.Finish();
}

INSTANTIATE_TEST_SUITE_P(Where, GlDriverPrewarmQuietTest,
                         ::testing::Values(Quiet{"NoDisplay", "DISPLAY", std::nullopt, false},
                                           Quiet{"TurnedOff", "RR_GL_PREWARM", "0", false},
                                           Quiet{"ComposeTableCached", "RR_GL_PREWARM",
                                                 std::nullopt, true}),
                         [](const auto& info) { return std::string(info.param.name); });

using ClearColor = void (*)(float, float, float, float);
using Clear = void (*)(unsigned);
using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
using Finish = void (*)();

TEST(GlDriverPrewarmTest, WindowGlWorksAfterTheThreadClosedItsConnection) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    ScopedVariable x11("SDL_VIDEODRIVER", "x11");
    GlDriverPrewarm prewarm;
    prewarm.Start(false);
    ASSERT_TRUE(prewarm.Started());
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* window =
        SDL_CreateWindow("prewarm", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    prewarm.Finish();  // the thread's connection, and its hold on the driver, are gone
    SDL_GLContext context = SDL_GL_CreateContext(window);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    auto clearColor = reinterpret_cast<ClearColor>(SDL_GL_GetProcAddress("glClearColor"));
    auto clear = reinterpret_cast<Clear>(SDL_GL_GetProcAddress("glClear"));
    auto readPixels = reinterpret_cast<ReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
    auto finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"));
    ASSERT_TRUE(clearColor && clear && readPixels && finish);
    clearColor(0.0f, 1.0f, 0.0f, 1.0f);
    clear(0x4000);  // GL_COLOR_BUFFER_BIT
    finish();
    uint8_t pixel[4] = {};
    readPixels(0, 0, 1, 1, 0x1908 /* GL_RGBA */, 0x1401 /* GL_UNSIGNED_BYTE */, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 0);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
}

}  // namespace
