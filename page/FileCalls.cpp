#include "FileCalls.h"

namespace tessaline {

HANDLE OpenToRead(const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

BOOL DeletePath(const wchar_t* path) { return DeleteFileW(path); }

}  // namespace tessaline
