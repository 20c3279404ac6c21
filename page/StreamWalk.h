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

// Walks the chain of records in [data, data + length). Skips the default stream
// "::$DATA", ":encryptable:$DATA" (exact, case-sensitive) and records without a name.
// A record whose header, name or successor reaches past the end ends the walk.
std::vector<StreamEntry> WalkStreamRecords(const uint8_t* data, size_t length);

// Removes U+0020 (and nothing else) from both ends.
std::u16string TrimBlanks(std::u16string_view text);

std::u16string ToDecimal(int64_t value);

// NTSTATUS values that ask for a larger buffer.
constexpr uint32_t kStatusBufferOverflow = 0x80000005u;
constexpr uint32_t kStatusBufferTooSmall = 0xC0000023u;
constexpr size_t kQueryStep = 4096;

// Calls query(buffer, length) with zero-filled buffers of 4096, 8192, 12288... bytes
// while it answers one of the two statuses above, and returns the last buffer, whatever
// the last status was: a failed query leaves it zero, which walks as an empty list.
template <class Query>
std::vector<uint8_t> QueryGrowing(Query&& query) {
    std::vector<uint8_t> buffer(kQueryStep);
    for (;;) {
        const uint32_t status = query(buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (status != kStatusBufferOverflow && status != kStatusBufferTooSmall)
            return buffer;
        std::vector<uint8_t> larger(buffer.size() + kQueryStep);  // old content not kept
        buffer.swap(larger);
    }
}

}  // namespace tessaline
