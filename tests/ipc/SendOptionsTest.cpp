// zorbel-send's command line and the bytes it makes of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tools/zorbel_send/SendOptions.h"

using zorbel::tools::SendOptions;

namespace {

bool Parse(std::vector<const char*> args, SendOptions* options, std::string* error = nullptr) {
    args.insert(args.begin(), "zorbel-send");
    std::string ignored;
    return SendOptions::Parse(static_cast<int>(args.size()), args.data(), options,
                              error != nullptr ? error : &ignored);
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

}  // namespace

TEST(SendOptionsTest, DefaultsSendTheTextWithItsZeroByteToZorbel) {
    SendOptions options;
    ASSERT_TRUE(Parse({"Tarnup is ok!"}, &options));
    EXPECT_EQ(options.name, "zorbel");
    EXPECT_EQ(options.dwData, 0u);
    EXPECT_EQ(options.timeout.count(), 5000);
    EXPECT_EQ(options.Payload(), Bytes(std::string("Tarnup is ok!\0", 14)));
}

TEST(SendOptionsTest, LengthCutsOrPadsWithZeroBytes) {
    struct Case {
        const char* length;
        std::string bytes;
    };
    const Case cases[] = {
        {"12", "Tarnup is ok"},
        {"13", "Tarnup is ok!"},
        {"14", std::string("Tarnup is ok!\0", 14)},
        {"16", std::string("Tarnup is ok!\0\0\0", 16)},
        {"0", ""},
    };
    for (const Case& c : cases) {
        SendOptions options;
        ASSERT_TRUE(Parse({"--length", c.length, "Tarnup is ok!"}, &options)) << c.length;
        EXPECT_EQ(options.Payload(), Bytes(c.bytes)) << c.length;
    }
}

TEST(SendOptionsTest, OptionsAreRead) {
    SendOptions options;
    ASSERT_TRUE(Parse({"--name", "other", "--dwdata", "0x1234", "--timeout", "250", "--", "--x"},
                      &options));
    EXPECT_EQ(options.name, "other");
    EXPECT_EQ(options.dwData, 0x1234u);
    EXPECT_EQ(options.timeout.count(), 250);
    EXPECT_EQ(options.text, "--x");
}

TEST(SendOptionsTest, MalformedCommandLinesAreRefused) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"a", "b"},
        {"--length"},
        {"--length", "-1", "x"},
        {"--length", "12x", "x"},
        {"--length", "99999999999999", "x"},
        {"--dwdata", "nine", "x"},
        {"--timeout", "", "x"},
        {"--name", "", "x"},
        {"--bogus", "x"},
        {"--", "a", "b"},
    };
    for (const auto& args : bad) {
        SendOptions options;
        std::string error;
        EXPECT_FALSE(Parse(args, &options, &error)) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}
