// The record walk (under ASan and UBSan), the query's growth and the exact stream paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <codecvt>
#include <fstream>
#include <iterator>
#include <locale>
#include <map>
#include <set>

#include "RecordBuilder.h"
#include "StreamPath.h"
#include "StreamWalk.h"

namespace tessaline::testing {
namespace {

std::u16string Data(const std::u16string& name) { return u":" + name + u":$DATA"; }

struct WalkRow {
    const char* label;
    std::vector<Record> records;
    size_t cut;                         // bytes taken off the chain's end
    std::vector<std::u16string> shown;  // each entry's text, which starts with its exact name
};

std::vector<WalkRow> WalkRows() {
    const std::u16string long200(200, u'x'), nonAnsi = u"\u0101\u4E2D", nul(u"a\0b", 3);
    // A name that holds a whole record of its own, which a successor at its start would read.
    const std::vector<uint8_t> b = BuildRecords({{Data(u"b"), 5}});
    const std::u16string hiding(reinterpret_cast<const char16_t*>(b.data()), b.size() / 2);
    return {
        {"default and named", {{u"::$DATA", 10}, {Data(u"notes"), 120}}, 0, {u"notes * 120"}},
        {"encryptable skipped exactly", {{u":encryptable:$DATA", 1}, {u":Encryptable:$DATA", 2}, {u"::$data", 4}}, 0,
         {u"Encryptable * 2"}},
        {"sizes over 4 GiB and the extremes",
         {{Data(u"huge"), 4294967301}, {Data(u"max"), INT64_MAX}, {Data(u"min"), INT64_MIN}}, 0,
         {u"huge * 4294967301", u"max * 9223372036854775807", u"min * -9223372036854775808"}},
        {"exact names: blanks, asterisk, outside ANSI", {{Data(u" a "), 7}, {Data(u"a*b"), 3}, {Data(nonAnsi), 9}}, 0,
         {u" a  * 7", u"a*b * 3", nonAnsi + u" * 9"}},
        {"name over 123 characters listed whole", {{Data(long200), 1}}, 0, {long200 + u" * 1"}},
        {"nameless and too short skipped, the walk goes on", {{u"", 5}, {u":x", 5}, {u":$DATA", 6}, {Data(u"ok"), 1}},
         0, {u"ok * 1"}},
        // Malformed answers: the walk keeps what it read and stays inside the buffer.
        {"empty buffer", {}, 0, {}},
        {"header cut short", {{Data(u"a"), 1}}, 17, {}},
        {"a later header cut short", {{Data(u"a"), 1}, {Data(u"b"), 2}}, 17, {u"a * 1"}},
        {"name past the end", {{Data(u"a"), 1}, {Data(u"b"), 2}}, 10, {u"a * 1"}},
        {"next offset past the end", {{Data(u"a"), 1, -1, 4000}}, 0, {u"a * 1"}},
        {"name length past the end", {{Data(u"a"), 1, 0x7FFFFFF0}}, 0, {}},
        {"name length at 32-bit maximum", {{Data(u"a"), 1, 0xFFFFFFFF}}, 0, {}},
        {"odd name length", {{Data(u"ab"), 1, 19}, {u"", 0}}, 0, {u"ab * 1"}},
        {"successor inside its predecessor", {{Data(u"a"), 1, -1, 8}, {Data(u"b"), 2}}, 0, {u"a * 1"}},
        // The name holds NULs, so it is no stream's: listed would be the "b" read from inside it.
        {"successor inside its predecessor's name", {{hiding, 1, -1, 24}}, 0, {}},
        {"a stream of another type than $DATA", {{u":notes:$EA", 1}, {Data(u"ok"), 2}}, 0, {u"ok * 2"}},
        // Names no volume holds, which a file server or filter may still answer: each entry would
        // address another stream, or the file's own data ("file::$DATA"). The walk goes on past them.
        {"names no volume holds",
         {{u"::$DATA:$DATA", 1}, {Data(nul), 1}, {Data(nul.substr(1, 1)), 1}, {u":x:y:$DATA", 1}, {u":::$DATA", 1},
          {u":..\\..\\z:$DATA", 1}, {u":dir/z:$DATA", 1}, {u"xy:$DATA", 1}, {Data(u"ok"), 2}},
         0, {u"ok * 2"}},
    };
}

std::vector<uint8_t> Chain(const WalkRow& row) {
    auto chain = BuildRecords(row.records);
    return std::vector<uint8_t>(chain.begin(), chain.end() - row.cut);
}

TEST(StreamWalk, ListsEachNamedStreamAndStaysInsideTheBuffer) {
    for (const WalkRow& row : WalkRows()) {
        SCOPED_TRACE(row.label);
        const std::vector<uint8_t> chain = Chain(row);  // an exact-size block: ASan sees a read past it
        std::vector<std::u16string> shown;
        for (const StreamEntry& e : WalkStreamRecords(chain.empty() ? nullptr : chain.data(), chain.size())) {
            EXPECT_EQ(e.display.substr(0, e.name.size() + 3), e.name + u" * ");
            shown.push_back(e.display);
        }
        EXPECT_EQ(shown, row.shown);
    }
}

// Wine answers STATUS_NOT_IMPLEMENTED and writes nothing: the zero buffer walks as no entries. A file
// system that is never satisfied is asked no further than 16 MiB.
TEST(StreamWalk, QueryDoublesZeroFilledWhileTheBufferIsTooSmallUpTo16MiB) {
    constexpr uint32_t kNotImplemented = 0xC0000002u, kNever = 0;
    const struct { uint32_t status, needed, last; } rows[] = {{kStatusBufferOverflow, 3 * 4096, 4 * 4096},
        {kStatusBufferTooSmall, 7 * 4096, 8 * 4096}, {kNotImplemented, 3 * 4096, 4096},
        {kStatusBufferOverflow, kNever, 16 << 20}};
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << std::hex << row.status << " until " << std::dec << row.needed);
        uint32_t length = 0;
        const auto buffer = QueryGrowing([&](uint8_t* b, uint32_t size) -> uint32_t {
            EXPECT_EQ(size, length == 0 ? 4096 : 2 * length);
            EXPECT_EQ(std::count(b, b + size, 0), int64_t(size)) << "not zero-filled";
            length = size;
            if (row.needed != kNever && size >= row.needed) return 0;
            if (row.status != kNotImplemented) std::fill(b, b + size, 0xAB);  // what fitted
            return row.status;
        });
        EXPECT_EQ(length, row.last);
        EXPECT_EQ(buffer.size(), length);
        EXPECT_TRUE(row.status != kNotImplemented || WalkStreamRecords(buffer.data(), buffer.size()).empty());
    }
}

// Answers of a real file server, whose last record is not padded: each file's entries are the streams made on it.
TEST(StreamWalk, ListsTheStreamsARealFileServerAnswers) {
    std::ifstream table(TESSALINE_REAL_STREAMS);
    std::map<std::string, std::multiset<std::string>> made;
    for (std::string line; std::getline(table, line);) {
        const size_t tab = line.find('\t');
        auto& streams = made[line.substr(0, tab)];
        if (tab != std::string::npos) streams.insert(line.substr(tab + 1));  // name, tab, size
    }
    ASSERT_EQ(made.size(), 8u);
    std::wstring_convert<std::codecvt_utf8_utf16<char16_t>, char16_t> utf8;  // the table's names are UTF-8
    for (const auto& [file, streams] : made) {
        SCOPED_TRACE(file);
        std::ifstream in(std::string(TESSALINE_FUZZ_CORPUS "/") + file, std::ios::binary);
        const std::vector<uint8_t> answer{std::istreambuf_iterator<char>(in), {}};  // exact size, for ASan
        std::multiset<std::string> listed;
        for (const StreamEntry& e : WalkStreamRecords(answer.empty() ? nullptr : answer.data(), answer.size())) {
            listed.insert(utf8.to_bytes(e.name) + "\t" + std::to_string(e.size));
        }
        EXPECT_EQ(listed, streams);
    }
}

TEST(ExactStreamPath, NamesExactlyOneStreamOrNothing) {
    const struct { std::u16string item, name, path; } rows[] = {
        {u"C:\\d\\item", u"notes.", u"\\\\?\\C:\\d\\item:notes."},
        {u"C:\\d\\item", u"notes ", u"\\\\?\\C:\\d\\item:notes "},
        {u"\\\\server\\share\\item", u"s", u"\\\\?\\UNC\\server\\share\\item:s"},
        {u"\\\\?\\C:\\item", u"s", u"\\\\?\\C:\\item:s"},
        // Nothing the platform would turn into another target.
        {u"C:\\item", u"", u""}, {u"", u"s", u""}, {u"d\\item", u"s", u""}, {u"C:item", u"s", u""},
        {u"\\\\.\\C:\\item", u"s", u""}, {u"\\\\server", u"s", u""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ExactStreamPath(row.item, row.name), row.path) << ::testing::PrintToString(row.item);
}

}  // namespace
}  // namespace tessaline::testing
