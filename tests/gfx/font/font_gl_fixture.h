// A 400 × 200 OpenGL device (support/gl_test.h) and the HUD's font on it, for
// the font's pixel tests: text is drawn, the back buffer read back and the
// picture saved when a check fails.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/font/font.h"
#include "platform/gfx/gl/gl_backend.h"
#include "support/gl_test.h"

namespace fonttest {

using namespace rrtest;

class FontGlTest : public GlTest {
protected:
    FontGlTest() : GlTest(400, 200, {nullptr, &gfx::font::MakeFont}) {}

    void SetUp() override {
        GlTest::SetUp();
        if (!Ready()) return;
        font = CreateHudFont();
        ASSERT_NE(font, nullptr);
    }
    void TearDown() override {
        gfx::SafeRelease(font);
        GlTest::TearDown();
    }

    // The HUD's font, created with the renderer's arguments.
    gfx::Font* CreateHudFont() {
        gfx::Font* created = nullptr;
        EXPECT_EQ(gfx::D3DXCreateFontA(device, 20, 0, gfx::FW_BOLD, 1, 0, gfx::DEFAULT_CHARSET,
                                       gfx::OUT_DEFAULT_PRECIS, gfx::DEFAULT_QUALITY,
                                       gfx::DEFAULT_PITCH | gfx::FF_DONTCARE, "Arial", &created),
                  gfx::S_OK);
        return created;
    }
    int Draw(const char* text, gfx::Rect rect, uint32_t color, uint32_t format = 0) {
        return font->DrawTextA(nullptr, text, -1, &rect, format, color);
    }

    gfx::Font* font = nullptr;
};

}  // namespace fonttest
