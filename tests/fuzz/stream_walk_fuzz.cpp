// Any byte string is a possible answer of the stream query: the walk must stay inside it
// (ASan), and every entry must name a stream that View and Delete can address.
#include <cstdlib>
#include <vector>

#include "StreamWalk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> exact(data, data + size);  // ASan catches a read one byte past it
    const auto entries = tessaline::WalkStreamRecords(exact.empty() ? nullptr : exact.data(), size);
    // A name a volume can hold (none other addresses the stream listed), shown first, then
    // " * " and at least one digit.
    static const std::u16string_view kForbidden(u"\0:\\/", 4);
    for (const auto& e : entries)
        if (e.name.empty() || e.name.find_first_of(kForbidden) != std::u16string::npos ||
            e.display.compare(0, e.name.size(), e.name) != 0 || e.display.size() < e.name.size() + 4)
            std::abort();
    // No two records share a byte: each entry took its header and ":" name ":$DATA" from the answer.
    size_t taken = 0;
    for (const auto& e : entries)
        taken += 24 + 2 * (e.name.size() + 7);
    if (taken > size)
        std::abort();
    return 0;
}
