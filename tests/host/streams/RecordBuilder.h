// FILE_STREAM_INFORMATION chains as the file system lays them out, records 8-byte aligned:
// the one encoder of the host tests, the fuzz seeds and the stream emulation under Wine.
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

inline std::vector<uint8_t> BuildRecords(const std::vector<Record>& records) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const size_t start = out.size(), bytes = r.name.size() * 2, length = (24 + bytes + 7) & ~size_t(7);
        out.resize(start + length);
        const auto put = [&](size_t at, uint64_t v, int n) { while (n--) out[start + at + n] = uint8_t(v >> 8 * n); };
        put(0, r.next >= 0 ? uint64_t(r.next) : i + 1 < records.size() ? length : 0, 4);
        put(4, r.nameBytes >= 0 ? uint64_t(r.nameBytes) : bytes, 4);
        for (size_t at : {8, 16}) put(at, uint64_t(r.size), 8);  // StreamSize, StreamAllocationSize
        for (size_t k = 0; k < r.name.size(); ++k) put(24 + 2 * k, r.name[k], 2);
    }
    return out;
}

}  // namespace tessaline::testing
