#include "ModUnTS.h"

#include "Win32Util.h"

namespace tessaline {

bool DeleteRegKey(HKEY root, const std::wstring& parentKey, const std::wstring& subKey) {
    UniqueKey parent;
    if (RegOpenKeyExA(root, ToAnsi(parentKey).c_str(), 0, KEY_ALL_ACCESS, parent.put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteKeyA(parent.get(), ToAnsi(subKey).c_str()) == ERROR_SUCCESS;
}

}  // namespace tessaline
