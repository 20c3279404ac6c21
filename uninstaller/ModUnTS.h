// ModUnTS: the uninstaller's system procedures. GetFolderPath and DeleteFileForced are
// ModSHInstall's own; DeleteRegKey is the uninstaller's.
#pragma once

#include <windows.h>

#include <string>

#include "ModSHInstall.h"

namespace tessaline {

// Deletes subKey under root\parentKey; true when it was deleted.
bool DeleteRegKey(HKEY root, const std::wstring& parentKey, const std::wstring& subKey);

}  // namespace tessaline
