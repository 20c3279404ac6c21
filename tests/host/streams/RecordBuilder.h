// FILE_STREAM_INFORMATION chains as the file system lays them out; the one encoder of the
// host tests, the fuzz seeds and the stream emulation under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline::testing {

struct Record {
    std::u16string name;     // as stored, e.g. u":notes:$DATA"
    int64_t size = 0;
    int64_t nameBytes = -1;  // StreamNameLength override; -1: the name's real length
    int64_t next = -1;       // NextEntryOffset override; -1: computed (0 for the last)
};

inline void Put(std::vector<uint8_t>& b, size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// Records 8-byte aligned, one after another.
inline std::vector<uint8_t> BuildRecords(const std::vector<Record>& records) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const size_t start = out.size(), bytes = r.name.size() * 2;
        const size_t length = (24 + bytes + 7) & ~size_t(7);
        out.resize(start + length);
        Put(out, start, r.next >= 0 ? uint64_t(r.next) : i + 1 < records.size() ? length : 0, 4);
        Put(out, start + 4, r.nameBytes >= 0 ? uint64_t(r.nameBytes) : bytes, 4);
        Put(out, start + 8, uint64_t(r.size), 8);
        Put(out, start + 16, uint64_t(r.size), 8);
        for (size_t k = 0; k < r.name.size(); ++k) Put(out, start + 24 + 2 * k, r.name[k], 2);
    }
    return out;
}

}  // namespace tessaline::testing
