// Text comparisons whose failure says where two long texts part: both lengths, the first
// differing offset, and a few characters around it from each, instead of two walls of text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tessaline::testing {

namespace detail {

template <class Char>
std::string Excerpt(const std::basic_string<Char>& text, size_t at) {
    std::string out;
    for (size_t i = at < 8 ? 0 : at - 8; i < std::min(text.size(), at + 16); ++i) {
        const unsigned c = static_cast<unsigned>(text[i]) & (sizeof(Char) == 1 ? 0xFFu : 0xFFFFFFFFu);
        if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char escaped[16];
            snprintf(escaped, sizeof escaped, "\\x%X", c);
            out += escaped;
        }
    }
    return '"' + out + '"';
}

template <class Char>
::testing::AssertionResult Compare(const std::basic_string<Char>& actual, const std::basic_string<Char>& expected,
                                   bool prefix) {
    const size_t checked = prefix ? std::min(actual.size(), expected.size()) : std::max(actual.size(), expected.size());
    const size_t common = std::min(actual.size(), expected.size());
    const size_t at = std::mismatch(expected.begin(), expected.begin() + common, actual.begin()).first - expected.begin();
    if (at == checked && (!prefix || actual.size() >= expected.size()))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (prefix ? "does not begin with the expected text" : "texts differ")
                                         << ": length " << actual.size() << ", expected " << expected.size()
                                         << "; first difference at offset " << at << ": got " << Excerpt(actual, at)
                                         << ", expected " << Excerpt(expected, at);
}

}  // namespace detail

// EXPECT_TRUE(SameText(actual, expected)).
template <class Char>
::testing::AssertionResult SameText(const std::basic_string<Char>& actual, const std::basic_string<Char>& expected) {
    return detail::Compare(actual, expected, false);
}

// EXPECT_TRUE(BeginsWith(actual, start)): a message told by its distinguishing start.
template <class Char>
::testing::AssertionResult BeginsWith(const std::basic_string<Char>& actual, const std::basic_string<Char>& start) {
    return detail::Compare(actual, start, true);
}

}  // namespace tessaline::testing
