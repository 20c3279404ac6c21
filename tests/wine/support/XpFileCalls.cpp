// The page's opens and deletes with Windows XP's path limit, which Wine does not enforce:
// a path of MAX_PATH characters or more that is not in the "\\?\" form fails.
#include <cwchar>

#include "FileCalls.h"

namespace tessaline {

static bool BeyondXpLimit(const wchar_t* path) {
    if (std::wcslen(path) < MAX_PATH || std::wcsncmp(path, L"\\\\?\\", 4) == 0)
        return false;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return true;
}

HANDLE OpenToRead(const wchar_t* path) {
    return BeyondXpLimit(path) ? INVALID_HANDLE_VALUE
                               : CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

BOOL DeletePath(const wchar_t* path) { return !BeyondXpLimit(path) && DeleteFileW(path); }

}  // namespace tessaline
