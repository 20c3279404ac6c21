// The page's opens and deletes with Windows XP's path limit, which Wine does not enforce:
// a path of MAX_PATH (260) characters or more that is not in the "\\?\" form fails.
#include <cwchar>

#include "FileCalls.h"

namespace tessaline {
namespace {

bool BeyondXpLimit(const wchar_t* path) {
    return std::wcslen(path) >= MAX_PATH && std::wcsncmp(path, L"\\\\?\\", 4) != 0;
}

}  // namespace

HANDLE OpenToRead(const wchar_t* path) {
    if (BeyondXpLimit(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

BOOL DeletePath(const wchar_t* path) {
    if (BeyondXpLimit(path)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return DeleteFileW(path);
}

}  // namespace tessaline
