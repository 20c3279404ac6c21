#include "FolderPath.h"

#include <algorithm>

namespace tessaline {
namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

std::wstring FolderPathFrom(FolderQuery& query, short selector) {
    FolderKind kind;
    switch (selector) {
    case 0: kind = FolderKind::Windows; break;
    case 1: kind = FolderKind::System; break;
    case 2: kind = FolderKind::Temp; break;
    default: return std::wstring();
    }

    // A path longer than the buffer comes back as the size it needs. The Temp folder can
    // change between two calls, so ask again while it keeps growing, a few times at most.
    std::string buffer(kFolderBuffer, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const uint32_t size = static_cast<uint32_t>(buffer.size());
        const uint32_t n = query.Query(kind, &buffer[0], size);
        if (n == 0)
            return std::wstring();
        if (n < size) {
            buffer.resize(n);
            // Drop the "\" only after decoding: in a double-byte code page the last byte
            // can be the second half of a character and look like a "\".
            std::wstring path = query.Decode(buffer);
            if (!path.empty() && path.back() == L'\\')
                path.pop_back();
            return path;
        }
        buffer.assign(n > size ? n : size + 1, '\0');
    }
    return std::wstring();
}

std::wstring VolumeRootOf(const std::wstring& folder) {
    if (folder.size() >= 2 && IsDriveLetter(folder[0]) && folder[1] == L':')
        return folder.substr(0, 2) + L"\\";

    // \\server\share, where "?" and "." as a server are the device forms, not shares.
    if (folder.compare(0, 2, L"\\\\") != 0)
        return std::wstring();
    const size_t serverEnd = folder.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd == 2)
        return std::wstring();
    const std::wstring server = folder.substr(2, serverEnd - 2);
    if (server == L"?" || server == L".")
        return std::wstring();
    const size_t shareEnd = std::min(folder.find(L'\\', serverEnd + 1), folder.size());
    if (shareEnd == serverEnd + 1)
        return std::wstring();
    return folder.substr(0, shareEnd) + L"\\";
}

}  // namespace tessaline
