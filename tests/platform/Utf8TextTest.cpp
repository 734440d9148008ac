#include <gtest/gtest.h>

#include <string>

#include "platform/Utf8Text.h"

using zorbel::IsValidUtf8;

TEST(Utf8Text, TakesEveryLengthOfSequence) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("儿歌 abc 😀 é"));
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF, the last one
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3)));
}

TEST(Utf8Text, RefusesWhatIsNotUtf8) {
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong in three bytes
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE5\xB0"));          // cut short at the end
    EXPECT_FALSE(IsValidUtf8("\xE5\xB0x"));         // cut short by a plain letter
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x80"));              // a continuation byte alone
    EXPECT_FALSE(IsValidUtf8("\xFF"));
    EXPECT_FALSE(IsValidUtf8("\xB6\xF9\xB8\xE8"));  // GBK text of 儿歌
}
