#include "AnsiText.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

// A double-byte code page: ASCII as itself, U+65E5 as the pair 93 FA, best-fit look-alikes
// for U+00E9 and U+0101 ("e", "a"), nothing for the rest; its default character is "?".
struct DoubleByteCodePage final : UnitCodePage {
    std::string Encode(char16_t unit) override {
        return unit < 0x80 ? std::string(1, char(unit)) : unit == u'\u65E5' ? "\x93\xFA" : unit == u'\u00E9' ? "e"
               : unit == u'\u0101' ? "a" : "";
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
