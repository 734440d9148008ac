// The text a copy-data message carries, the fields that announce it and the updater's quit request.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/x11/CopyDataFields.h"
#include "platform/x11/CopyDataText.h"

using zorbel::CopyDataText;
using zorbel::IsUpdaterQuitMessage;

namespace {

std::vector<uint8_t> Bytes(const std::string& text, size_t size) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(size, 0);
    return bytes;
}

}  // namespace

TEST(CopyDataTextTest, TextEndsAtFirstZeroOrAtTheLength) {
    struct Case {
        std::string data;  // the bytes, zero-padded to `cbData`
        size_t cbData;
        std::string text;
        bool quits;
    };
    const Case cases[] = {
        {"Tarnup is ok!", 13, "Tarnup is ok!", true},  // no zero byte: the length ends it
        {"Tarnup is ok!", 14, "Tarnup is ok!", true},  // with its zero byte
        {"Tarnup is ok!", 20, "Tarnup is ok!", true},  // zero padding
        {"Tarnup is ok!", 12, "Tarnup is ok", false},  // cut before the exclamation mark
        {"Tarnup is ok!!", 14, "Tarnup is ok!!", false},
        {"tarnup is ok!", 14, "tarnup is ok!", false},  // case counts
        {"TARNUP IS OK!", 14, "TARNUP IS OK!", false},
        {"Tarnup is ok! ", 15, "Tarnup is ok! ", false},
        {std::string("Tarnup is ok!\0junk", 18), 18, "Tarnup is ok!", true},
        {std::string("\0Tarnup is ok!", 14), 14, "", false},
        {"", 0, "", false},
        {"abc", 0, "", false},
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> bytes = Bytes(c.data, c.cbData);
        const std::string text = CopyDataText(bytes, c.cbData);
        EXPECT_EQ(text, c.text) << c.data << " / " << c.cbData;
        EXPECT_EQ(IsUpdaterQuitMessage(text), c.quits) << c.data << " / " << c.cbData;
    }
}

TEST(CopyDataTextTest, NoBytesGiveTheEmptyTextAndTheLengthNeverReadsPastTheBytes) {
    EXPECT_EQ(CopyDataText(nullptr, 14), "");
    // A length larger than what arrived is believed only as far as the bytes go.
    const std::vector<uint8_t> short_ = Bytes("Tarnup is ok!", 13);
    EXPECT_EQ(CopyDataText(short_, 1000), "Tarnup is ok!");
    EXPECT_EQ(CopyDataText(std::vector<uint8_t>(), 14), "");
}

TEST(CopyDataFieldsTest, FieldsCarry32BitsAndThePayloadNeedsEveryByte) {
    using zorbel::x11::copydata::MessageFields;
    // Xlib sign-extends a 32-bit field into a wider long; only its 32 bits count.
    const long sent[5] = {0x2e00003, 0x1a5, -1, -2, 0x7};
    const MessageFields fields = MessageFields::Decode(sent);
    EXPECT_EQ(fields.sender, 0x2e00003ul);
    EXPECT_EQ(fields.property, 0x1a5ul);
    EXPECT_EQ(fields.length, 0xFFFFFFFFul);
    EXPECT_EQ(fields.dwData, sizeof(long) > 4 ? 0x7FFFFFFFEul : 0xFFFFFFFEul);

    const std::vector<uint8_t> property = Bytes("Tarnup is ok!", 14);
    std::vector<uint8_t> bytes{1};
    EXPECT_FALSE(zorbel::x11::copydata::TakePayload(property.data(), 13, 14, bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>{1});
    ASSERT_TRUE(zorbel::x11::copydata::TakePayload(property.data(), 14, 13, bytes));
    EXPECT_EQ(CopyDataText(bytes, bytes.size()), "Tarnup is ok!");
}
