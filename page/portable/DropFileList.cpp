#include "DropFileList.h"

namespace tessaline {

namespace {
constexpr size_t kHeaderSize = 20;  // pFiles, pt.x, pt.y, fNC, fWide: 32 bits each
constexpr size_t kWideOffset = 16;

uint32_t ReadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
}  // namespace

size_t WalkDropFiles(const uint8_t* data, size_t size, void (*take)(void* context, const DropName& name),
                     void* context) {
    if (data == nullptr || size < kHeaderSize)
        return 0;
    const uint32_t first = ReadU32(data);
    if (first < kHeaderSize || first > size)
        return 0;

    DropName name;
    name.wide = ReadU32(data + kWideOffset) != 0;  // any true BOOL
    const size_t unit = name.wide ? 2 : 1;
    const size_t end = first + (size - first) / unit * unit;  // whole characters only
    size_t count = 0, start = first;
    for (size_t at = first; at < end; at += unit) {
        if (data[at] != 0 || (unit == 2 && data[at + 1] != 0))
            continue;
        if (at == start)
            break;  // the empty name ends the list
        name.offset = start;
        name.length = (at - start) / unit;
        take(context, name);
        ++count;
        start = at + unit;
    }
    return count;
}

}  // namespace tessaline
