#include "StreamWalk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "RecordBuilder.h"

namespace tessaline {
namespace {

using testing::BuildRecords;
using testing::Put32;
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

// "name|display" per entry, readable in a failure message.
std::vector<std::string> Describe(const std::vector<StreamEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(Utf8(e.name) + "|" + Utf8(e.display));
    return out;
}

std::vector<std::string> Walk(const std::vector<uint8_t>& buffer) {
    return Describe(WalkStreamRecords(buffer.data(), buffer.size()));
}

std::u16string Data(const std::u16string& name) { return u":" + name + u":$DATA"; }

struct WalkCase {
    const char* label;
    std::vector<Record> records;
    std::vector<std::string> expected;
};

TEST(StreamWalk, WellFormedChains) {
    const std::u16string long200(200, u'x');
    const std::u16string non_ansi = u"\u0101\u4E2D\u0416";  // a-macron, CJK, Cyrillic
    const WalkCase cases[] = {
        {"default stream only", {{u"::$DATA", 10}}, {}},
        {"one named stream after the default",
         {{u"::$DATA", 10}, {Data(u"notes"), 120}}, {"notes|notes * 120"}},
        {"encryptable skipped exactly, other case listed",
         {{u":encryptable:$DATA", 1}, {u":Encryptable:$DATA", 2}, {u":encryptable:$data", 3}},
         {"Encryptable|Encryptable * 2", "encryptable|encryptable * 3"}},
        {"default stream in other case has no name to list", {{u"::$data", 4}}, {}},
        {"folder: no default record", {{Data(u"a"), 1}, {Data(u"b"), 2}}, {"a|a * 1", "b|b * 2"}},
        {"zero bytes", {{Data(u"empty"), 0}}, {"empty|empty * 0"}},
        {"over 2 GiB", {{Data(u"big"), 2147483648LL}}, {"big|big * 2147483648"}},
        {"over 4 GiB", {{Data(u"huge"), 4294967296LL + 5}}, {"huge|huge * 4294967301"}},
        {"largest size", {{Data(u"max"), std::numeric_limits<int64_t>::max()}},
         {"max|max * 9223372036854775807"}},
        {"leading and trailing blanks kept in the name", {{Data(u"  a "), 7}}, {"  a |  a  * 7"}},
        {"blanks only", {{Data(u"   "), 7}}, {"   |    * 7"}},
        {"asterisk in the name", {{Data(u"a*b"), 3}, {Data(u"a"), 1}}, {"a*b|a*b * 3", "a|a * 1"}},
        {"non-ANSI name kept exact", {{Data(non_ansi), 9}}, {Utf8(non_ansi) + "|" + Utf8(non_ansi) + " * 9"}},
        {"name over 123 characters listed whole", {{Data(long200), 1}},
         {Utf8(long200) + "|" + Utf8(long200) + " * 1"}},
        {"Zone.Identifier", {{u"::$DATA", 0}, {Data(u"Zone.Identifier"), 26}},
         {"Zone.Identifier|Zone.Identifier * 26"}},
        {"empty name skipped, walk goes on", {{u"", 5}, {Data(u"after"), 1}}, {"after|after * 1"}},
        {"name too short to hold a stream skipped", {{u":x", 5}, {u":$DATA", 6}, {Data(u"ok"), 1}},
         {"ok|ok * 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Walk(BuildRecords(c.records)), c.expected);
    }
}

TEST(StreamWalk, MalformedChainsNeverReadOutside) {
    struct Malformed {
        const char* label;
        std::vector<uint8_t> buffer;
        std::vector<std::string> expected;
    };
    std::vector<Malformed> cases;

    cases.push_back({"empty buffer", {}, {}});
    cases.push_back({"zero-filled buffer", std::vector<uint8_t>(4096, 0), {}});
    cases.push_back({"header cut short", std::vector<uint8_t>(23, 0), {}});
    {
        auto b = BuildRecords({{Data(u"a"), 1}, {Data(u"b"), 2}});
        b.resize(b.size() - 10);  // second record's name runs past the end
        cases.push_back({"name past the end", b, {"a|a * 1"}});
    }
    {
        auto b = BuildRecords({{Data(u"a"), 1, 0, -1, 4000}});
        cases.push_back({"next offset past the end", b, {"a|a * 1"}});
    }
    {
        auto b = BuildRecords({{Data(u"a"), 1, 0, 0x7FFFFFF0}});
        cases.push_back({"name length past the end", b, {}});
    }
    {
        auto b = BuildRecords({{Data(u"a"), 1, 0, 0xFFFFFFFF}});
        cases.push_back({"name length at 32-bit maximum", b, {}});
    }
    {
        // ":ab:$DATA" is 9 units = 18 bytes; 19 is taken down to 18.
        auto b = BuildRecords({{Data(u"ab"), 1, 0, 19}});
        b.resize(b.size() + 8);
        cases.push_back({"odd name length", b, {"ab|ab * 1"}});
    }

    for (auto& c : cases) {
        SCOPED_TRACE(c.label);
        // Copy into an exact-size heap block so that ASan sees any read past it.
        std::vector<uint8_t> exact(c.buffer.begin(), c.buffer.end());
        auto entries = WalkStreamRecords(exact.empty() ? nullptr : exact.data(), exact.size());
        EXPECT_EQ(Describe(entries), c.expected);
    }
}

TEST(StreamWalk, OverlappingSuccessorEndsInside) {
    // The successor starts inside this record; offsets only move forward, so the walk
    // ends, having listed the first record and whatever the overlap decodes to.
    auto b = BuildRecords({{Data(u"a"), 1, 0, -1, 8}, {Data(u"b"), 2}});
    auto entries = WalkStreamRecords(b.data(), b.size());
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(Utf8(entries[0].display), "a * 1");
    EXPECT_LE(entries.size(), b.size() / 8);
}

TEST(StreamWalk, LongLoopFreeChainListsEveryRecord) {
    std::vector<Record> records;
    for (int i = 0; i < 5000; ++i) records.push_back({Data(u"s" + ToDecimal(i)), i});
    const auto buffer = BuildRecords(records);
    const auto entries = WalkStreamRecords(buffer.data(), buffer.size());
    ASSERT_EQ(entries.size(), 5000u);
    EXPECT_EQ(Utf8(entries.front().display), "s0 * 0");
    EXPECT_EQ(Utf8(entries.back().display), "s4999 * 4999");
}

TEST(StreamWalk, TrimBlanksTouchesOnlySpaces) {
    const struct { std::u16string in, out; } cases[] = {
        {u"", u""}, {u"   ", u""}, {u"  a b  ", u"a b"}, {u"\ta\t", u"\ta\t"}, {u" * 7", u"* 7"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(TrimBlanks(c.in)), Utf8(c.out));
}

TEST(StreamWalk, DecimalOfExtremes) {
    EXPECT_EQ(Utf8(ToDecimal(0)), "0");
    EXPECT_EQ(Utf8(ToDecimal(-1)), "-1");
    EXPECT_EQ(Utf8(ToDecimal(std::numeric_limits<int64_t>::min())), "-9223372036854775808");
}

TEST(StreamWalk, QueryGrowsInSteps) {
    for (uint32_t status : {kStatusBufferOverflow, kStatusBufferTooSmall}) {
        for (size_t k : {1u, 2u, 3u, 7u}) {
            SCOPED_TRACE("k=" + std::to_string(k) + " status=" + std::to_string(status));
            std::vector<size_t> lengths;
            auto records = QueryGrowing([&](uint8_t* buffer, uint32_t length) -> uint32_t {
                lengths.push_back(length);
                for (uint32_t i = 0; i < length; ++i)
                    if (buffer[i] != 0) return 0xDEAD;
                if (length < k * 4096) {
                    std::fill(buffer, buffer + length, 0xAB);
                    return status;
                }
                return 0;
            });
            ASSERT_EQ(lengths.size(), k);
            for (size_t i = 0; i < k; ++i) EXPECT_EQ(lengths[i], (i + 1) * 4096);
            EXPECT_EQ(records.size(), k * 4096);
        }
    }
}

TEST(StreamWalk, FailedQueryWalksAsEmpty) {
    // STATUS_NOT_IMPLEMENTED (Wine), STATUS_INVALID_PARAMETER: the buffer stays zero.
    for (uint32_t status : {0xC0000002u, 0xC000000Du}) {
        int calls = 0;
        auto records = QueryGrowing([&](uint8_t*, uint32_t) { ++calls; return status; });
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(WalkStreamRecords(records.data(), records.size()).empty());
    }
}

}  // namespace
}  // namespace tessaline
