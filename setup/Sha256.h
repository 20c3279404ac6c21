// SHA-256 (FIPS 180-2), for the installer's check of the files it installs: NT4's CryptoAPI
// has no SHA-256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tessaline {

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    void Add(const void* data, size_t size);
    Sha256Digest Finish();  // once; the object is spent afterwards

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_ = {};
    size_t pendingSize_ = 0;
    uint64_t totalBytes_ = 0;
};

}  // namespace tessaline
