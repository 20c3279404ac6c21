// Any byte string is a possible answer of the stream query: the walk must stay inside it
// (ASan), and every entry must name a stream that View and Delete can address.
#include <cstdlib>
#include <vector>

#include "StreamWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> exact(data, data + size);  // ASan catches a read one byte past it
    const auto entries = tessaline::WalkStreamRecords(exact.empty() ? nullptr : exact.data(), size);
    for (const auto& e : entries)  // a name, shown first, then " * " and at least one digit
        if (e.name.empty() || e.display.compare(0, e.name.size(), e.name) != 0 || e.display.size() < e.name.size() + 4)
            std::abort();
    // Records may overlap, but each starts at an offset of its own where a whole header fits.
    if (entries.size() > (size < 24 ? 0 : size - 23))
        std::abort();
    return 0;
}
