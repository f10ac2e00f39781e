// What a person reads about effect files stays in step with what the reader
// accepts: every pass and sampler state in the README and the man page, and
// every value the README's table offers.
#include <gtest/gtest.h>

#include <string>

#include "platform/gfx/effect/state_names.h"
#include "support/text_files.h"

namespace gfx::effect {
namespace {

using rrtest::ReadSourceText;

TEST(EffectDocsTest, ReadmeAndManPageNameEveryStateTheReaderTakes) {
    const std::string readme = ReadSourceText("README.md");
    const std::string manual = ReadSourceText("docs/reflect-refract.1");
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
