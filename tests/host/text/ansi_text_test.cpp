#include "AnsiText.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// A double-byte code page: ASCII as itself, U+65E5 as the pair 93 FA, best-fit look-alikes
// for U+00E9 and U+0101 ("e", "a"), nothing for the rest; its default character is "?".
struct DoubleByteCodePage final : UnitCodePage {
    std::string Encode(char16_t unit) override {
        if (unit < 0x80) return std::string(1, char(unit));
        if (unit == u'\u65E5') return "\x93\xFA";
        if (unit == u'\u00E9') return "e";
        if (unit == u'\u0101') return "a";
        return "";
    }
    std::u16string Decode(const std::string& bytes) override {
        return bytes == "\x93\xFA" ? u"\u65E5" : bytes.size() == 1 && bytes[0] > 0 ? std::u16string(1, bytes[0]) : u"?";
    }
    std::string DefaultCharacter() override { return "?"; }
};

TEST(EncodeWithoutLookAlikes, KeepsWhatConvertsBackAndGivesTheDefaultCharacterForTheRest) {
    DoubleByteCodePage codePage;
    EXPECT_EQ(EncodeWithoutLookAlikes(u"x\u0101\u65E5\u00E9\U0001F600 a", codePage), "x?\x93\xFA??? a");
}

}  // namespace
}  // namespace tessaline
