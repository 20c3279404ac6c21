#include "AnsiText.h"

namespace tessaline {

std::string EncodeWithoutLookAlikes(std::u16string_view text, UnitCodePage& codePage) {
    const std::string fallback = codePage.DefaultCharacter();
    std::string out;
    for (const char16_t unit : text) {
        const std::string bytes = codePage.Encode(unit);
        out += !bytes.empty() && codePage.Decode(bytes) == std::u16string(1, unit) ? bytes : fallback;
    }
    return out;
}

}  // namespace tessaline
