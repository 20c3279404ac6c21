// The shell's DROPFILES block read once, inside its bounds (under ASan and UBSan).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DropBlock.h"
#include "DropFileList.h"

namespace tessaline::testing {
namespace {

// The names taken, which must be as many as the walk counts.
std::vector<std::u16string> Names(const std::vector<uint8_t>& block) {
    std::vector<std::u16string> names;
    const size_t taken = WalkDropFiles(block.empty() ? nullptr : block.data(), block.size(), [&](const DropName& n) {
        std::u16string name;
        for (size_t i = 0; i < n.length; ++i)
            name.push_back(n.wide ? char16_t(block[n.offset + 2 * i] | block[n.offset + 2 * i + 1] << 8)
                                  : char16_t(block[n.offset + i]));
        names.push_back(name);
    });
    EXPECT_EQ(taken, names.size());
    return names;
}

TEST(DropFileList, GivesTheCompleteNamesInOrderInsideTheBlock) {
    const struct {
        const char* label;
        uint32_t fWide;
        std::vector<std::u16string> stored, names;
        size_t pad = 0, cut = 0;  // bytes between header and names; bytes taken off the end
        int64_t pFiles = -1;      // stored instead of the names' offset
    } rows[] = {
        {"ANSI, bytes as they are", 0, {u"C:\\a.txt", u"C:\\dir", u"C:\\\u00E4 b"},
         {u"C:\\a.txt", u"C:\\dir", u"C:\\\u00E4 b"}},
        {"wide, outside any code page", 1, {u"C:\\\u0101.txt", u"C:\\\u4E2D"}, {u"C:\\\u0101.txt", u"C:\\\u4E2D"}},
        {"wide, at an odd offset", 1, {u"C:\\a", u"C:\\b"}, {u"C:\\a", u"C:\\b"}, 1},
        {"wide is any true fWide", 2, {u"C:\\a"}, {u"C:\\a"}},
        {"wide characters with a zero byte end no name", 1, {u"\u0100\u4E00x"}, {u"\u0100\u4E00x"}},
        {"no names", 0, {}, {}},
        // An empty name ends the list, as DragQueryFile counts it: what follows is no item.
        {"an empty name inside, ANSI", 0, {u"a", u"", u"b"}, {u"a"}},
        {"an empty name inside, wide", 1, {u"a", u"", u"b"}, {u"a"}},
        {"no final empty name", 0, {u"a", u"b"}, {u"a", u"b"}, 0, 1},
        {"the last name cut", 0, {u"a", u"bc"}, {u"a"}, 0, 2},
        {"wide, odd size inside the final zero", 1, {u"a"}, {u"a"}, 0, 1},
        {"wide, odd size inside the last name's zero", 1, {u"a"}, {}, 0, 3},
        // {"a"} in ANSI: 20 + 3 bytes.
        {"pFiles at the end", 0, {u"a"}, {}, 0, 0, 23},
        {"pFiles past the end", 0, {u"a"}, {}, 0, 0, 24},
        {"pFiles at 32-bit maximum", 0, {u"a"}, {}, 0, 0, 0xFFFFFFFF},
        {"pFiles inside the header", 0, {u"a"}, {}, 0, 0, 4},
        {"a block one byte shorter than its header", 0, {}, {}, 0, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<uint8_t> block = DropBlock(row.fWide, row.stored, row.pad);
        block.resize(block.size() - row.cut);  // exact size: ASan sees a read past it
        if (row.pFiles >= 0)
            for (int i = 0; i < 4; ++i) block[i] = uint8_t(uint64_t(row.pFiles) >> 8 * i);
        EXPECT_EQ(Names(block), row.names);
    }
}

}  // namespace
}  // namespace tessaline::testing
