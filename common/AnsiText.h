// Text for the system's ANSI code page without best-fit look-alikes, where the platform's
// conversion has no flag for it (NT4 has no WC_NO_BEST_FIT_CHARS). Platform-free: the code
// page is asked through UnitCodePage.
#pragma once

#include <string>
#include <string_view>

namespace tessaline {

class UnitCodePage {
public:
    virtual ~UnitCodePage() = default;
    // One UTF-16 unit as the platform converts it by default: a look-alike where the code
    // page lacks the character ("a" for "\u0101"); "" when the conversion fails.
    virtual std::string Encode(char16_t unit) = 0;
    virtual std::u16string Decode(const std::string& bytes) = 0;
    virtual std::string DefaultCharacter() = 0;
};

// Each unit converted alone, and kept only where it converts back to itself; any other unit
// becomes the code page's default character, single- or double-byte alike.
std::string EncodeWithoutLookAlikes(std::u16string_view text, UnitCodePage& codePage);

}  // namespace tessaline
