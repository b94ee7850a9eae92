#include "tools/sampledata/input_script.h"

#include <gtest/gtest.h>

namespace {

TEST(InputScript, StepsRepeatsAndKeysBecomeWords) {
    std::vector<u16> words;
    std::string error;
    ASSERT_TRUE(ParseInputScript(
        "# start\n2 -\n1 Z+Left   # a press\nrepeat 2\n 1 Up\n repeat 2\n  1 T\n end\nend\n0 X\n1\n", words, error))
        << error;
    const std::vector<u16> expected = {0, 0, 0x14, 0x1, 0x400, 0x400, 0x1, 0x400, 0x400, 0};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(InputScriptBytes({0x0410, 0x0001}), (std::vector<u8>{0x10, 0x04, 0x01, 0x00}));
}

TEST(InputScript, BadLinesAreRefusedWithTheirLineNumber) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"1 Z\n2 Q\n", "line 2: unknown key"},
        {"x Z\n", "line 1: expected a frame count"},
        {"-1 Z\n", "line 1: expected a frame count"},
        {"1 Z Left\n", "line 1: unexpected"},
        {"repeat\n", "line 1: repeat needs a count"},
        {"1 Z\nend\n", "line 2: end without repeat"},
        {"1 Z\nrepeat 3\n1 Z\n", "line 2: repeat without end"},
        {"repeat 999999999\nrepeat 999999999\n9 Z\nend\nend\n", "line 4: the script is longer"},
    };
    for (const Case& c : cases) {
        std::vector<u16> words{7};
        std::string error;
        EXPECT_FALSE(ParseInputScript(c.text, words, error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
        EXPECT_EQ(words, std::vector<u16>{7}) << c.text;
    }
}

}  // namespace
