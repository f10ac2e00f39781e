// The compiler line the watch mode shows on the HUD (the recompiles
// themselves are tested end to end, on the real effect compiler).
#include <gtest/gtest.h>

#include "scene/effect_reload.h"

namespace {

TEST(EffectReloadTest, FirstErrorLineIsTheOneAPersonReadsFirst) {
    struct Case {
        const char* text;
        const char* line;
    } cases[] = {
        {"\n  \n", ""},
        {"  e.fx(3): error: 'x' : unknown  \r\nmore\n", "e.fx(3): error: 'x' : unknown"},
        {"warning: w\ne.fx(4): ERROR: y\nz: error", "e.fx(4): ERROR: y"},
        {"\n  just one line", "just one line"},
    };
    for (const Case& c : cases) EXPECT_EQ(FirstErrorLine(c.text), c.line) << c.text;
}

}  // namespace
