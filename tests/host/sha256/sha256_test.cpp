// SHA-256 against FIPS 180-2's example messages (appendix B), fed whole and in uneven pieces,
// so that a block boundary falls inside an Add and the padding spills into a second block.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "Sha256.h"

namespace tessaline::testing {
namespace {

std::string Hex(const Sha256Digest& digest) {
    std::string text;
    char pair[3];
    for (uint8_t byte : digest) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Sha256, GivesTheStandardsDigests) {
    const struct { const char* label; std::string message; const char* digest; } rows[] = {
        {"one block", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"two blocks", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"a million a", std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        {"nothing", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    };
    for (const auto& row : rows)
        for (const size_t piece : {row.message.size() + 1, size_t(1), size_t(63), size_t(65)}) {
            SCOPED_TRACE(std::string(row.label) + ", pieces of " + std::to_string(piece));
            Sha256 hash;
            for (size_t at = 0; at < row.message.size(); at += piece)
                hash.Add(row.message.data() + at, std::min(piece, row.message.size() - at));
            EXPECT_EQ(Hex(hash.Finish()), row.digest);
        }
}

}  // namespace
}  // namespace tessaline::testing
