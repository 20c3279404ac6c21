// The exact paths the page opens and deletes: a name's trailing dots and blanks, and a long
// item, must reach the file system as they are.
#include "StreamPath.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(ExactStreamPath, NamesExactlyOneStreamOrNothing) {
    const struct {
        const char* label;
        std::u16string item, name;
        std::string expected;
    } rows[] = {
        {"drive path", u"C:\\dir\\item.txt", u"notes", "\\\\?\\C:\\dir\\item.txt:notes"},
        {"trailing dot kept", u"C:\\dir\\item.txt", u"notes.", "\\\\?\\C:\\dir\\item.txt:notes."},
        {"trailing blank kept", u"C:\\dir\\item.txt", u"notes ", "\\\\?\\C:\\dir\\item.txt:notes "},
        {"drive root folder", u"d:\\", u"s", "\\\\?\\d:\\:s"},
        {"share", u"\\\\server\\share\\dir\\item", u"s", "\\\\?\\UNC\\server\\share\\dir\\item:s"},
        {"already exact", u"\\\\?\\C:\\item", u"s", "\\\\?\\C:\\item:s"},
        {"exact share", u"\\\\?\\UNC\\srv\\sh\\item", u"s", "\\\\?\\UNC\\srv\\sh\\item:s"},
        // Nothing that would let the platform pick the target for us.
        {"empty stream name", u"C:\\item", u"", ""},
        {"empty item", u"", u"s", ""},
        {"relative", u"dir\\item", u"s", ""},
        {"drive-relative", u"C:item", u"s", ""},
        {"rooted without drive", u"\\dir\\item", u"s", ""},
        {"device namespace", u"\\\\.\\C:\\item", u"s", ""},
        {"server without share", u"\\\\server", u"s", ""},
        {"empty server", u"\\\\\\share\\item", u"s", ""},
        {"empty share", u"\\\\server\\\\item", u"s", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Narrow(ExactStreamPath(row.item, row.name)), row.expected);
    }
}

}  // namespace
}  // namespace tessaline
