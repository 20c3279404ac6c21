// The shell's list of selected items (a DROPFILES block, CF_HDROP), read in one pass.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessaline {

// One name in the block: where its first character starts, and how many characters it has
// without its terminating zero; UTF-16 units when the list is wide (fWide), else bytes in
// the ANSI code page.
struct DropName {
    size_t offset = 0;
    size_t length = 0;
    bool wide = false;
};

// Walks the block [data, data + size) once: the 20-byte header (pFiles, pt, fNC, fWide), then
// from offset pFiles the zero-terminated names up to the empty one that ends the list, which
// is also where DragQueryFile stops counting. Calls take(context, name) for each name, in
// order, and answers how many there were. A block shorter than the header, or a pFiles inside
// the header or past the end, holds no names. A list cut off by the block's end gives the
// names whose terminating zero is inside the block: the last, cut one would be a prefix of a
// path, which could name another file or a folder above it.
size_t WalkDropFiles(const uint8_t* data, size_t size, void (*take)(void* context, const DropName& name),
                     void* context);

// The same with any callable take(name).
template <class Take>
size_t WalkDropFiles(const uint8_t* data, size_t size, Take take) {
    return WalkDropFiles(
        data, size, [](void* context, const DropName& name) { (*static_cast<Take*>(context))(name); }, &take);
}

}  // namespace tessaline
