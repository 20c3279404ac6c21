#include "ModSHInstall.h"

#include <cstring>

#include "FolderPath.h"
#include "VolumeQuery.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

class PlatformFolders final : public FolderQuery {
public:
    uint32_t Query(FolderKind kind, char* buffer, uint32_t size) override {
        switch (kind) {
        case FolderKind::Windows: return GetWindowsDirectoryA(buffer, size);
        case FolderKind::System: return GetSystemDirectoryA(buffer, size);
        case FolderKind::Temp: return GetTempPathA(size, buffer);
        }
        return 0;
    }
    std::wstring Decode(const std::string& ansi) override {
        return FromAnsi(ansi.data(), static_cast<int>(ansi.size()));
    }
};

// The key and any missing keys above it are created, an existing one opened.
bool WriteRegValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD type, const void* data,
                   DWORD size) {
    SECURITY_ATTRIBUTES security = {};
    char noClass[] = "";
    UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(root, ToAnsi(subKey).c_str(), 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &security,
                        key.put(), &disposition) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.get(), ToAnsi(valueName).c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

}  // namespace

std::wstring GetFolderPath(short selector) {
    PlatformFolders folders;
    return FolderPathFrom(folders, selector);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesA(ToAnsi(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteFileForced(const std::wstring& path) {
    const std::string ansi = ToAnsi(path);
    if (GetFileAttributesA(ansi.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(ansi.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(ansi.c_str()) != FALSE;
}

DWORD CopyFileTo(const std::wstring& source, const std::wstring& destination, bool overwrite) {
    const std::string from = ToAnsi(source);
    if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (overwrite)
        DeleteFileForced(destination);
    // The copy takes the source's attributes, which are set back on the copy, never on the
    // source: a package file may be a link to a file elsewhere.
    const std::string to = ToAnsi(destination);
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        return GetLastError();
    SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ERROR_SUCCESS;
}

bool WriteRegString(HKEY root, const std::wstring& subKey, const std::wstring& valueName, const std::wstring& data) {
    const std::string text = ToAnsi(data);
    return WriteRegValue(root, subKey, valueName, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool WriteRegDword(HKEY root, const std::wstring& subKey, const std::wstring& valueName, DWORD data) {
    return WriteRegValue(root, subKey, valueName, REG_DWORD, &data, sizeof data);
}

bool DeleteRegKey(HKEY root, const std::wstring& parentKey, const std::wstring& subKey) {
    UniqueKey parent;
    if (RegOpenKeyExA(root, ToAnsi(parentKey).c_str(), 0, KEY_ALL_ACCESS, parent.put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteKeyA(parent.get(), ToAnsi(subKey).c_str()) == ERROR_SUCCESS;
}

std::wstring GetFileSystemName() {
    // The volume the system is installed on, whatever the current directory.
    const std::wstring root = VolumeRootOf(GetFolderPath(0));
    if (root.empty())
        return std::wstring();
    char label[256] = {};
    char name[256] = {};
    DWORD serial = 0;
    DWORD maxComponent = 0;
    DWORD flags = 0;
    if (!QueryVolumeInformation(ToAnsi(root).c_str(), label, sizeof label, &serial, &maxComponent, &flags, name,
                                sizeof name))
        return std::wstring();
    return FromAnsi(name, static_cast<int>(strnlen(name, sizeof name)));
}

HKEY RootKey(RegRoot root) { return root == RegRoot::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE; }

}  // namespace tessaline
