// The platform-free half of the stream listing: the walk over the file system's
// FILE_STREAM_INFORMATION records and the query-buffer growth policy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaline {

// One named data stream of a file or folder.
struct StreamEntry {
    std::u16string name;     // exact stream name: no leading ":", no ":$DATA"
    std::u16string display;  // what the list shows: name, " * ", size in decimal
    int64_t size = 0;
};

// Walks the chain of records in [data, data + length). Lists the named data streams whose
// record name is ":" name ":$DATA" with a name of at least one character and no NUL, ":",
// "\" or "/", which every name on a volume is: an entry for any other would address another
// stream or the file itself. The default stream "::$DATA" is not listed, nor is
// ":encryptable:$DATA" (exact, case-sensitive). A record whose header or name reaches past
// the end, or whose successor starts before its name ends or past the end, ends the walk: no
// two records share a byte, so what is listed is never more than the buffer holds.
std::vector<StreamEntry> WalkStreamRecords(const uint8_t* data, size_t length);

// Removes U+0020 (and nothing else) from both ends.
std::u16string TrimBlanks(std::u16string_view text);

std::u16string ToDecimal(int64_t value);

// NTSTATUS values that ask for a larger buffer.
constexpr uint32_t kStatusBufferOverflow = 0x80000005u;
constexpr uint32_t kStatusBufferTooSmall = 0xC0000023u;
constexpr size_t kQueryFirst = 4096;
// Far above any real answer (a stream name has at most 255 characters, a file's attribute
// list at most 256 KiB), so that a file system that is never satisfied cannot hold the page.
constexpr size_t kQueryCap = 16 << 20;

// Calls query(buffer, length) with zero-filled buffers of 4096, 8192, 16384... bytes while
// it answers one of the two statuses above, up to kQueryCap, and returns the last buffer,
// whatever the last status was: a failed query leaves it zero, which walks as an empty list,
// and one still too small at the cap holds the records that fitted.
template <class Query>
std::vector<uint8_t> QueryGrowing(Query&& query) {
    std::vector<uint8_t> buffer(kQueryFirst);
    for (;;) {
        const uint32_t status = query(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if ((status != kStatusBufferOverflow && status != kStatusBufferTooSmall) || buffer.size() >= kQueryCap)
            return buffer;
        std::vector<uint8_t> larger(2 * buffer.size());  // old content not kept
        buffer.swap(larger);
    }
}

}  // namespace tessaline
