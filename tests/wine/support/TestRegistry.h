// Reading the registry back in the Windows-side tests.
#pragma once

#include <windows.h>

#include <string>

#include "Win32Util.h"

namespace tessaline::testing {

inline bool KeyExists(HKEY root, const std::string& key) {
    UniqueKey open;
    return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, open.put()) == ERROR_SUCCESS;
}

// A value's text without its terminating zero; "" when there is none.
inline std::string ReadRegText(HKEY root, const std::string& key, const std::string& name) {
    char data[2048] = {};
    DWORD size = sizeof data - 1;
    UniqueKey open;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, open.put()) != ERROR_SUCCESS ||
        RegQueryValueExA(open.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS)
        return "";
    return data;
}

}  // namespace tessaline::testing
