// The record walk, the query's growth and the exact stream paths. Rows with a seed name are
// also the fuzzer's seeds in tests/fuzz/corpus, written from this same table.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "RecordBuilder.h"
#include "StreamPath.h"
#include "StreamWalk.h"

namespace tessaline {
namespace {

using testing::BuildRecords;
using testing::Record;

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) out += char(c);
        else if (c < 0x800) { out += char(0xC0 | c >> 6); out += char(0x80 | (c & 0x3F)); }
        else { out += char(0xE0 | c >> 12); out += char(0x80 | (c >> 6 & 0x3F)); out += char(0x80 | (c & 0x3F)); }
    }
    return out;
}

std::u16string Data(const std::u16string& name) { return u":" + name + u":$DATA"; }

struct WalkRow {
    const char* label;
    const char* seed;  // file name in the corpus, or nullptr
    std::vector<Record> records;
    size_t cut;        // bytes taken off the end of the chain
    std::vector<std::string> expected;  // "name|shown text"
};

std::vector<WalkRow> WalkRows() {
    const std::u16string long200(200, u'x'), nonAnsi = u"\u0101\u4E2D";
    const std::string long200Utf8(200, 'x');
    return {
        {"default stream only", nullptr, {{u"::$DATA", 10}}, 0, {}},
        {"default and named", "default_and_named", {{u"::$DATA", 10}, {Data(u"notes"), 120}}, 0,
         {"notes|notes * 120"}},
        {"encryptable skipped exactly", "encryptable",
         {{u":encryptable:$DATA", 1}, {u":Encryptable:$DATA", 2}, {u"::$data", 4}}, 0,
         {"Encryptable|Encryptable * 2"}},
        {"folder: no default record", nullptr, {{Data(u"a"), 1}, {Data(u"b"), 0}}, 0, {"a|a * 1", "b|b * 0"}},
        {"sizes over 4 GiB and the extremes", "big_sizes",
         {{Data(u"huge"), 4294967296LL + 5}, {Data(u"max"), std::numeric_limits<int64_t>::max()},
          {Data(u"min"), std::numeric_limits<int64_t>::min()}}, 0,
         {"huge|huge * 4294967301", "max|max * 9223372036854775807", "min|min * -9223372036854775808"}},
        {"exact names: blanks, asterisk, outside ANSI", nullptr,
         {{Data(u" a "), 7}, {Data(u"a*b"), 3}, {Data(nonAnsi), 9}}, 0,
         {" a | a  * 7", "a*b|a*b * 3", Utf8(nonAnsi) + "|" + Utf8(nonAnsi) + " * 9"}},
        {"name over 123 characters listed whole", "long_name", {{Data(long200), 1}}, 0,
         {long200Utf8 + "|" + long200Utf8 + " * 1"}},
        {"nameless and too short skipped, walk goes on", nullptr,
         {{u"", 5}, {u":x", 5}, {u":$DATA", 6}, {Data(u"ok"), 1}}, 0, {"ok|ok * 1"}},
        // Malformed answers: the walk stays inside the buffer (ASan) and keeps what it read.
        {"empty buffer", nullptr, {}, 0, {}},
        {"header cut short", nullptr, {{Data(u"a"), 1}}, 17, {}},
        {"name past the end", nullptr, {{Data(u"a"), 1}, {Data(u"b"), 2}}, 10, {"a|a * 1"}},
        {"next offset past the end", "next_past_end", {{Data(u"a"), 1, -1, 4000}}, 0, {"a|a * 1"}},
        {"name length past the end", nullptr, {{Data(u"a"), 1, 0x7FFFFFF0}}, 0, {}},
        {"name length at 32-bit maximum", nullptr, {{Data(u"a"), 1, 0xFFFFFFFF}}, 0, {}},
        {"odd name length", "odd_length", {{Data(u"ab"), 1, 19}, {u"", 0}}, 0, {"ab|ab * 1"}},
        {"successor inside its predecessor", "overlapping_records", {{Data(u"a"), 1, -1, 8}, {Data(u"b"), 2}}, 0,
         {"a|a * 1"}},
    };
}

std::vector<uint8_t> Chain(const WalkRow& row) {
    auto chain = BuildRecords(row.records);
    chain.resize(chain.size() - row.cut);
    return chain;
}

TEST(StreamWalk, ListsEachNamedStreamAndStaysInsideTheBuffer) {
    for (const WalkRow& row : WalkRows()) {
        SCOPED_TRACE(row.label);
        const std::vector<uint8_t> exact = Chain(row);  // an exact-size block: ASan sees a read past it
        std::vector<std::string> came;
        for (const auto& e : WalkStreamRecords(exact.empty() ? nullptr : exact.data(), exact.size()))
            came.push_back(Utf8(e.name) + "|" + Utf8(e.display));
        EXPECT_EQ(came, row.expected);
    }
}

// The corpus the fuzzer starts from is this table's; a changed row leaves its new bytes in
// the build folder, to be copied over the seed.
TEST(StreamWalk, FuzzSeedsAreTheTablesRows) {
    for (const WalkRow& row : WalkRows()) {
        if (row.seed == nullptr)
            continue;
        SCOPED_TRACE(row.seed);
        std::ifstream in(std::string(TESSALINE_FUZZ_CORPUS "/") + row.seed, std::ios::binary);
        const std::vector<uint8_t> committed{std::istreambuf_iterator<char>(in), {}};
        if (committed != Chain(row)) {
            std::ofstream(row.seed, std::ios::binary).write(reinterpret_cast<const char*>(Chain(row).data()),
                                                            std::streamsize(Chain(row).size()));
            ADD_FAILURE() << "seed differs from its row; the row's bytes are in the build folder";
        }
    }
}

// The buffer grows by 4096 bytes, zero-filled, exactly while the file system asks for more;
// a failed query (Wine answers STATUS_NOT_IMPLEMENTED) leaves a zero buffer: no entries.
TEST(StreamWalk, QueryGrowsOnlyWhileTheBufferIsTooSmall) {
    const struct {
        const char* label;
        uint32_t status;  // answered while the buffer is under `needed`
        size_t needed;
        size_t calls;
    } rows[] = {
        {"fits at once", kStatusBufferOverflow, 4096, 1},
        {"STATUS_BUFFER_OVERFLOW", kStatusBufferOverflow, 3 * 4096, 3},
        {"STATUS_BUFFER_TOO_SMALL", kStatusBufferTooSmall, 7 * 4096, 7},
        {"STATUS_NOT_IMPLEMENTED ends the query", 0xC0000002u, 3 * 4096, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const bool fails = row.status == 0xC0000002u;  // and writes nothing
        std::vector<uint32_t> lengths;
        auto buffer = QueryGrowing([&](uint8_t* b, uint32_t length) -> uint32_t {
            for (uint32_t i = 0; i < length; ++i)
                if (b[i] != 0) return 0xDEAD;  // not zero-filled
            lengths.push_back(length);
            if (length >= row.needed) return 0;
            if (!fails) std::fill(b, b + length, 0xAB);
            return row.status;
        });
        ASSERT_EQ(lengths.size(), row.calls);
        for (size_t i = 0; i < lengths.size(); ++i) EXPECT_EQ(lengths[i], (i + 1) * 4096);
        if (fails) EXPECT_TRUE(WalkStreamRecords(buffer.data(), buffer.size()).empty());
        else EXPECT_EQ(buffer.size(), row.needed);
    }
}

TEST(ExactStreamPath, NamesExactlyOneStreamOrNothing) {
    const struct {
        std::u16string item, name;
        std::string expected;
    } rows[] = {
        {u"C:\\dir\\item.txt", u"notes", "\\\\?\\C:\\dir\\item.txt:notes"},
        {u"C:\\dir\\item.txt", u"notes.", "\\\\?\\C:\\dir\\item.txt:notes."},
        {u"C:\\dir\\item.txt", u"notes ", "\\\\?\\C:\\dir\\item.txt:notes "},
        {u"\\\\server\\share\\item", u"s", "\\\\?\\UNC\\server\\share\\item:s"},
        {u"\\\\?\\C:\\item", u"s", "\\\\?\\C:\\item:s"},
        // Nothing that would let the platform pick the target.
        {u"C:\\item", u"", ""},
        {u"", u"s", ""},
        {u"dir\\item", u"s", ""},
        {u"C:item", u"s", ""},
        {u"\\\\.\\C:\\item", u"s", ""},
        {u"\\\\server", u"s", ""},
    };
    for (const auto& row : rows) {
        const std::u16string path = ExactStreamPath(row.item, row.name);
        EXPECT_EQ(std::string(path.begin(), path.end()), row.expected) << Utf8(row.item) << " : " << Utf8(row.name);
    }
}

}  // namespace
}  // namespace tessaline
