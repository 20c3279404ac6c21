// The terms text as Text1 shows it: plain text in CR LF lines, its parts in order.
// (That no line wraps again in Text1 is checked under Wine, in the window itself.)
#include <gtest/gtest.h>

#include <string>

#include "TermsText.h"

namespace tessaline {
namespace {

TEST(TermsText, IsAboutThreeThousandThreeHundredPlainCharactersInCrLfLines) {
    const std::wstring text = kTermsText;
    EXPECT_GE(text.size(), 3000u);
    EXPECT_LE(text.size(), 3600u);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const bool fine = c == L'\r' ? text[i + 1] == L'\n' : c == L'\n' ? text[i - 1] == L'\r' : c >= L' ' && c <= L'~';
        EXPECT_TRUE(fine) << "character " << int(c) << " at " << i << ": only printable ASCII and CR LF pairs";
    }
}

TEST(TermsText, HoldsItsPartsInOrder) {
    // The text with its line breaks and indents folded into single blanks.
    std::string flat;
    for (const wchar_t* c = kTermsText; *c; ++c)
        if (*c != L'\r' && !(*c == L' ' && (flat.empty() || flat.back() == ' ')))
            flat += *c == L'\n' ? ' ' : static_cast<char>(*c);
    const char* const parts[] = {
        "Tessaline Property Page Extension Utility for Windows NT4, 2000 and XP Made by Orvando",
        "Windows NT4, Windows 2000 and Windows XP", "\"Streams\"", "\"Properties\"", "Alternate Data Streams",
        "USAGE:", "\"View\"", "2 KB", "\"Delete\"", "Service Pack 2", "\"Zone.Identifier\"",
        "UNINSTALL:", "Add/Remove Programs", "\"Tessaline Utility\"",
        "DISCLAIMER OF WARRANTY:", "\"as is\"", "\"I accept license.\"", "Tessaline is made by Orvando.",
    };
    size_t at = 0;
    for (const char* part : parts) {
        const size_t found = flat.find(part, at);
        ASSERT_NE(found, std::string::npos) << "\"" << part << "\" after position " << at << " of: " << flat;
        at = found + 1;
    }
}

}  // namespace
}  // namespace tessaline
