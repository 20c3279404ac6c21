// Tells Windows Vista and later from earlier Windows, from what the platform reports.
// Platform-free: the questions are asked through VistaPlatform, in the order the answer
// needs them, so that a later question is never asked once an earlier one has decided.
#pragma once

#include <cstdint>

namespace tessaline {

struct OsVersionFacts {
    int32_t platformId = 0;    // 2: VER_PLATFORM_WIN32_NT; all zero when the query failed
    int32_t majorVersion = 0;
};

struct ShellVersionFacts {
    int32_t result = -1;       // HRESULT of shell32's DllGetVersion; negative when not called
    int32_t majorVersion = 0;
    int32_t buildNumber = 0;
};

class VistaPlatform {
public:
    virtual ~VistaPlatform() = default;
    virtual OsVersionFacts GetVersion() = 0;
    virtual bool Kernel32ExportsGetLocaleInfoEx() = 0;
    virtual bool Shell32ExportsDllGetVersion() = 0;
    virtual ShellVersionFacts CallShell32DllGetVersion() = 0;
};

// True on Vista or later: an NT version of 6 or more, a kernel32 with GetLocaleInfoEx
// (a newer system reporting an older version), or shell32 6.0 with a build above 5000.
bool IsVistaOrLater(VistaPlatform& platform);

}  // namespace tessaline
