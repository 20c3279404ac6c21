// Any byte string is a possible answer of the stream query; the walk must stay inside it
// (ASan) and every entry it makes must be one that View and Delete can address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "StreamWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so ASan catches a read one byte past the end.
    std::vector<uint8_t> buffer(data, data + size);
    const auto entries = tessaline::WalkStreamRecords(buffer.empty() ? nullptr : buffer.data(), buffer.size());
    for (const auto& e : entries) {
        if (e.name.empty())
            std::abort();  // an entry must name a stream
        if (e.display.compare(0, e.name.size(), e.name) != 0)
            std::abort();  // the shown text starts with the exact name
        if (e.display.size() < e.name.size() + 4)
            std::abort();  // " * " and at least one digit
    }
    // Records may overlap (a successor may start inside its predecessor), but every one
    // starts at its own offset, and the last header must still fit.
    if (entries.size() > (size < 24 ? 0 : size - 23))
        std::abort();
    return 0;
}
