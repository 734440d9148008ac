// How a command line falls apart into a program's arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ProgramLauncher.h"

using zorbel::SplitCommandLine;
using Words = std::vector<std::string>;

TEST(CommandLineSplitTest, BlanksSeparateWords) {
    struct Case {
        const char* line;
        Words words;
    };
    const Case cases[] = {
        {"Tarnup.exe zorbel", {"Tarnup.exe", "zorbel"}},
        {"Tarnup.exe zorbel -n", {"Tarnup.exe", "zorbel", "-n"}},
        // A program name with a blank is not quoted: it arrives as two arguments.
        {"Tarnup.exe my app", {"Tarnup.exe", "my", "app"}},
        {"Tarnup.exe my app -n", {"Tarnup.exe", "my", "app", "-n"}},
        {"  a \t  b\t", {"a", "b"}},
        {"", {}},
        {" \t ", {}},
        {"one", {"one"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}

TEST(CommandLineSplitTest, QuotesAndBackslashesFollowTheStartedProgramsRules) {
    struct Case {
        const char* line;
        Words words;
    };
    const Case cases[] = {
        {R"(prog "my app" -n)", {"prog", "my app", "-n"}},
        {R"(prog a"b c"d)", {"prog", "ab cd"}},
        {R"(prog "")", {"prog", ""}},
        {R"(prog "a ""b"" c")", {"prog", R"(a "b" c)"}},
        {R"(prog a\b\\c)", {"prog", R"(a\b\\c)"}},
        {R"(prog a\"b)", {"prog", R"(a"b)"}},
        {R"(prog a\\"b c")", {"prog", R"(a\b c)"}},
        {R"(prog a\\\"b)", {"prog", R"(a\"b)"}},
        {R"(prog "unterminated quote)", {"prog", "unterminated quote"}},
        {R"(prog trailing\)", {"prog", R"(trailing\)"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.words) << c.line;
}
