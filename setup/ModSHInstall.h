// ModSHInstall: the system procedures of the installer and the uninstaller. None of them
// shows anything or ends the program; failures show only as false or empty results.
#pragma once

#include <windows.h>

#include <string>

#include "SetupShared.h"

namespace tessaline {

// 0 the Windows folder, 1 the System folder, 2 the Temp folder, without a trailing "\".
std::wstring GetFolderPath(short selector);
// True for an existing item that is not a folder.
bool FileExists(const std::wstring& path);
// Copies, then resets the copy's attributes to normal, so it is never read-only or hidden;
// with overwrite, a read-only or hidden destination goes first. The source is left as it
// is. The platform's error of the copy, 0 when it was made.
DWORD CopyFileTo(const std::wstring& source, const std::wstring& destination, bool overwrite);
// Deletes a file whatever its attributes; true when none is left at the path.
bool DeleteFileForced(const std::wstring& path);
// One REG_SZ value; an empty value name is the key's default value.
bool WriteRegString(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& data);
bool WriteRegDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD data);
// Deletes subKey under root\parentKey; true when it was deleted.
bool DeleteRegKey(HKEY root, const std::wstring& parentKey, const std::wstring& subKey);
// The file system of the volume that holds the Windows folder, "" when the query fails.
std::wstring GetFileSystemName();

HKEY RootKey(RegRoot root);

}  // namespace tessaline
