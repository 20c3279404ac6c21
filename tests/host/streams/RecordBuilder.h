// Builds FILE_STREAM_INFORMATION chains by hand, as the file system lays them out.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tessaline::testing {

struct Record {
    std::u16string name;     // as stored, e.g. u":notes:$DATA"
    int64_t size = 0;
    int64_t allocation = 0;
    int64_t nameBytes = -1;  // StreamNameLength override; -1: the name's real length
    int64_t next = -1;       // NextEntryOffset override; -1: computed (0 for the last)
};

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
inline void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Records 8-byte aligned like the file system's, one after another.
inline std::vector<uint8_t> BuildRecords(const std::vector<Record>& records) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const size_t start = out.size();
        const size_t bytes = r.name.size() * 2;
        size_t length = (24 + bytes + 7) & ~size_t(7);
        out.resize(start + length);
        const uint32_t next = r.next >= 0 ? uint32_t(r.next) : (i + 1 < records.size() ? uint32_t(length) : 0);
        Put32(out, start, next);
        Put32(out, start + 4, r.nameBytes >= 0 ? uint32_t(r.nameBytes) : uint32_t(bytes));
        Put64(out, start + 8, uint64_t(r.size));
        Put64(out, start + 16, uint64_t(r.allocation));
        for (size_t k = 0; k < r.name.size(); ++k) {
            out[start + 24 + 2 * k] = uint8_t(r.name[k]);
            out[start + 24 + 2 * k + 1] = uint8_t(r.name[k] >> 8);
        }
    }
    return out;
}

}  // namespace tessaline::testing
