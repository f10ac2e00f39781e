// What a person reads about effect files stays in step with what the reader
// accepts: every pass and sampler state in the README and the man page, and
// every value the README's table offers.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/gfx/effect/state_names.h"

namespace gfx::effect {
namespace {

std::string ReadSource(const char* relative) {
    std::ifstream file(std::string(RR_SOURCE_DIR) + "/" + relative);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(EffectDocsTest, ReadmeAndManPageNameEveryStateTheReaderTakes) {
    const std::string readme = ReadSource("README.md");
    const std::string manual = ReadSource("docs/reflect-refract.1");
    ASSERT_FALSE(readme.empty());
    ASSERT_FALSE(manual.empty());
    for (const StateName* state : KnownStates()) {
        EXPECT_NE(readme.find(std::string("`") + state->name + "`"), std::string::npos)
            << state->name;
        EXPECT_NE(manual.find(std::string("\\fB") + state->name + "\\fR"), std::string::npos)
            << state->name;
        for (const StateValueName* value = state->values; value->name; ++value) {
            EXPECT_NE(readme.find(std::string("`") + value->name + "`"), std::string::npos)
                << state->name << " = " << value->name;
            uint32_t number = 0;
            EXPECT_TRUE(StateValue(*state, value->name, &number));
            EXPECT_EQ(number, value->value);
        }
    }
}

}  // namespace
}  // namespace gfx::effect
