// Text comparisons whose failure says where two long texts part: both lengths, the first
// differing offset and a few characters from there on, instead of two walls of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tessaline::testing {

// EXPECT_TRUE(SameText(actual, expected)); with `prefix`, actual need only begin with expected.
template <class Text>
::testing::AssertionResult SameText(const Text& actual, const Text& expected, bool prefix = false) {
    const size_t common = std::min(actual.size(), expected.size());
    const size_t at =
        std::mismatch(expected.begin(), expected.begin() + common, actual.begin()).first - expected.begin();
    if (at == expected.size() && (prefix || at == actual.size()))
        return ::testing::AssertionSuccess();
    const auto from = [at](const Text& text) {
        return ::testing::PrintToString(text.substr(std::min(at, text.size()), 24));
    };
    return ::testing::AssertionFailure() << "length " << actual.size() << ", expected " << expected.size()
                                         << "; they part at offset " << at << ": " << from(actual) << " where "
                                         << from(expected) << " was expected";
}

// EXPECT_TRUE(BeginsWith(actual, start)): a message told by its distinguishing start.
template <class Text>
::testing::AssertionResult BeginsWith(const Text& actual, const Text& start) {
    return SameText(actual, start, true);
}

}  // namespace tessaline::testing
