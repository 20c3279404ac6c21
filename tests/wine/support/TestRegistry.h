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

struct RegText {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;  // as stored, terminating NUL included

    // The text without its terminating NUL.
    std::string text() const { return bytes.empty() || bytes.back() != '\0' ? bytes : bytes.substr(0, bytes.size() - 1); }
};

inline RegText ReadRegText(HKEY root, const std::string& key, const std::string& name) {
    RegText value;
    UniqueKey open;
    value.status = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, open.put());
    if (value.status != ERROR_SUCCESS)
        return value;
    char data[2048] = {};
    DWORD size = sizeof data;
    value.status = RegQueryValueExA(open.get(), name.c_str(), nullptr, &value.type, reinterpret_cast<BYTE*>(data), &size);
    if (value.status == ERROR_SUCCESS)
        value.bytes.assign(data, size);
    return value;
}

}  // namespace tessaline::testing
