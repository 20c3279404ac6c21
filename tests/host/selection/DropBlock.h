// DROPFILES blocks as the shell lays them out: the one encoder of the host tests, and of the
// page tests and the page benchmark under Wine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline::testing {

// A block as the shell lays it out: the header (dropped at x 0x41, y 0x42, so that a list read
// from inside the header would give names), `pad` bytes, each name with its zero, the empty
// name; in UTF-16 when fWide, else one byte per character.
inline std::vector<uint8_t> DropBlock(uint32_t fWide, const std::vector<std::u16string>& names, size_t pad = 0) {
    std::vector<uint8_t> out(20 + pad);
    const auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> 8 * i); };
    put32(0, uint32_t(out.size()));
    put32(4, 0x41);
    put32(8, 0x42);
    put32(16, fWide);
    const auto add = [&](char16_t c) {
        out.push_back(uint8_t(c));
        if (fWide) out.push_back(uint8_t(c >> 8));
    };
    for (const std::u16string& name : names) {
        for (char16_t c : name) add(c);
        add(0);
    }
    add(0);
    return out;
}

}  // namespace tessaline::testing
