// The rules of GetFolderPath apart from the platform: which folder a selector names,
// fetching a path of any length, and the one trailing "\" dropped; and a folder's volume.
#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

enum class FolderKind { Windows, System, Temp };

constexpr uint32_t kFolderBuffer = 260;

// The platform's three folder queries in their own form: fill the buffer and answer the
// path's length, or answer the size needed when the buffer is too small; 0 on failure.
class FolderQuery {
public:
    virtual ~FolderQuery() = default;
    virtual uint32_t Query(FolderKind kind, char* buffer, uint32_t size) = 0;
    // ANSI code page to wide text.
    virtual std::wstring Decode(const std::string& ansi) = 0;
};

// Selector 0 the Windows folder, 1 the System folder, 2 the Temp folder; any other
// selector asks nothing and gives "". The result never ends in "\".
std::wstring FolderPathFrom(FolderQuery& query, short selector);

// The root of the volume that holds a folder, as the volume query takes it: C:\WINDOWS
// gives "C:\", \\server\share\WINDOWS gives "\\server\share\"; "" when the path names no
// drive or share.
std::wstring VolumeRootOf(const std::wstring& folder);

}  // namespace tessaline
