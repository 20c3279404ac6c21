// The page's file-system calls by path, in a unit of their own so that a test build can add
// the Windows XP path-length limit that Wine does not enforce.
#pragma once

#include <windows.h>

namespace tessaline {

// Opens a file, folder or stream for reading, shared for reading and writing (backup
// semantics open a folder as well as a file). INVALID_HANDLE_VALUE on failure.
HANDLE OpenToRead(const wchar_t* path);

// Deletes a file or stream; non-zero when it was deleted.
BOOL DeletePath(const wchar_t* path);

}  // namespace tessaline
