// The terms text as Text1 shows it: its length, its hand-wrapped CR LF lines, its headings
// and its parts in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TermsText.h"

namespace tessaline {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::vector<std::string> Lines() {
    const std::string text = Narrow(kTermsText);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

bool IsHeading(const std::string& line) {
    if (line.size() < 5 || line.compare(0, 3, "   ") != 0 || line[3] == ' ' || line.back() != ':')
        return false;
    for (char c : line)
        if (c >= 'a' && c <= 'z')
            return false;
    return true;
}

TEST(TermsText, IsAboutThreeThousandThreeHundredPlainCharacters) {
    const std::wstring text = kTermsText;
    EXPECT_GE(text.size(), 3000u);
    EXPECT_LE(text.size(), 3600u);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\r') {
            EXPECT_EQ(text[i + 1], L'\n') << "a CR without LF at " << i;
        } else if (c == L'\n') {
            EXPECT_EQ(text[i - 1], L'\r') << "an LF without CR at " << i;
        } else {
            EXPECT_TRUE(c >= L' ' && c <= L'~') << "character " << int(c) << " at " << i;
        }
    }
}

TEST(TermsText, IsWrappedByHandWithHeadingsAndIndentedParagraphs) {
    const std::vector<std::string> lines = Lines();
    std::vector<std::string> headings;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": \"" + line + "\"");
        EXPECT_LE(line.size(), 46u) << "wrapped at about 44 characters";
        EXPECT_TRUE(line.empty() || line.back() != ' ') << "a trailing blank";
        if (IsHeading(line))
            headings.push_back(line.substr(3));
        // After an empty line or a heading a paragraph starts, with two or three blanks.
        const bool starts = i > 0 && (lines[i - 1].empty() || IsHeading(lines[i - 1]));
        if (starts && !line.empty() && !IsHeading(line)) {
            EXPECT_TRUE(line.compare(0, 2, "  ") == 0 && line.compare(0, 4, "    ") != 0) << "paragraph indent";
        }
    }
    EXPECT_EQ(headings, (std::vector<std::string>{"USAGE:", "UNINSTALL:", "DISCLAIMER OF WARRANTY:"}));
}

TEST(TermsText, HoldsItsPartsInOrder) {
    // The text with its line breaks and indents folded into single blanks.
    std::string flat;
    for (const std::string& line : Lines()) {
        const size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos)
            flat += (flat.empty() ? "" : " ") + line.substr(first);
    }
    const char* const parts[] = {
        "Tessaline",  // the title block
        "Property Page Extension",
        "Utility",
        "Orvando",
        "Windows NT4, Windows 2000 and Windows XP",  // the introduction
        "\"Streams\"",
        "\"Properties\"",
        "Alternate Data Streams",
        "NTFS",
        "USAGE:",
        "\"View\"",
        "2 KB",
        "binary",
        "\"Delete\"",
        "Service Pack 2",  // why it matters
        "Internet Explorer",
        "\"Zone.Identifier\"",
        "UNINSTALL:",
        "Add/Remove Programs",
        "DISCLAIMER OF WARRANTY:",
        "warranty",
        "damages",
        "Orvando.",  // the closing block
    };
    size_t at = 0;
    for (const char* part : parts) {
        const size_t found = flat.find(part, at);
        ASSERT_NE(found, std::string::npos) << "\"" << part << "\" after position " << at << " of: " << flat;
        at = found + 1;
    }
    const std::vector<std::string> lines = Lines();
    EXPECT_NE(lines.front().find("Tessaline"), std::string::npos) << "the first line names the product";
    EXPECT_NE((lines.end() - 2)->find("Orvando"), std::string::npos) << "the closing block names the maker";
}

}  // namespace
}  // namespace tessaline
