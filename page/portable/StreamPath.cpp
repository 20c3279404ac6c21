#include "StreamPath.h"

namespace tessaline {
namespace {

constexpr std::u16string_view kExtended = u"\\\\?\\";
constexpr std::u16string_view kExtendedUnc = u"\\\\?\\UNC\\";

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

}  // namespace

std::u16string ExactPath(std::u16string_view itemPath) {
    if (StartsWith(itemPath, kExtended))
        return std::u16string(itemPath);
    if (itemPath.size() >= 3 && IsLetter(itemPath[0]) && itemPath[1] == u':' && itemPath[2] == u'\\')
        return std::u16string(kExtended) + std::u16string(itemPath);
    // "\\server\share\...": a server name, then a share name, both non-empty.
    if (StartsWith(itemPath, u"\\\\") && itemPath.size() > 2 && itemPath[2] != u'?' && itemPath[2] != u'.') {
        const std::u16string_view rest = itemPath.substr(2);
        const size_t slash = rest.find(u'\\');
        if (slash != 0 && slash != std::u16string_view::npos && slash + 1 < rest.size() && rest[slash + 1] != u'\\')
            return std::u16string(kExtendedUnc) + std::u16string(rest);
    }
    return std::u16string();
}

std::u16string ExactStreamPath(std::u16string_view itemPath, std::u16string_view streamName) {
    if (streamName.empty())
        return std::u16string();
    std::u16string path = ExactPath(itemPath);
    if (path.empty())
        return path;
    return path + u":" + std::u16string(streamName);
}

}  // namespace tessaline
