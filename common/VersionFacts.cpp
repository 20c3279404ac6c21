// The version facts as Windows reports them.
#include "VersionFacts.h"

#include <windows.h>
#include <shlwapi.h>

#include "Win32Util.h"

namespace tessaline {
namespace {

bool ModuleExports(const char* module, const char* name) {
    UniqueLibrary library(LoadLibraryA(module));
    return library && GetProcAddress(library.get(), name) != nullptr;
}

class Win32VistaPlatform : public VistaPlatform {
public:
    OsVersionFacts GetVersion() override {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof(info);  // 148
        GetVersionExA(&info);                     // on failure the record stays zero
        return {static_cast<int32_t>(info.dwPlatformId), static_cast<int32_t>(info.dwMajorVersion)};
    }

    bool Kernel32ExportsGetLocaleInfoEx() override { return ModuleExports("kernel32.dll", "GetLocaleInfoEx"); }

    bool Shell32ExportsDllGetVersion() override { return ModuleExports("shell32.dll", "DllGetVersion"); }

    ShellVersionFacts CallShell32DllGetVersion() override {
        // Bound once and kept loaded for the rest of the process.
        static HMODULE shell32 = LoadLibraryA("shell32");
        ShellVersionFacts facts;
        const auto getVersion =
            shell32 != nullptr ? reinterpret_cast<DLLGETVERSIONPROC>(
                                     reinterpret_cast<void*>(GetProcAddress(shell32, "DllGetVersion")))
                               : nullptr;
        if (getVersion == nullptr)
            return facts;
        DLLVERSIONINFO info = {};
        info.cbSize = sizeof(info);  // 20
        facts.result = getVersion(&info);
        facts.majorVersion = static_cast<int32_t>(info.dwMajorVersion);
        facts.buildNumber = static_cast<int32_t>(info.dwBuildNumber);
        return facts;
    }
};

}  // namespace

VistaPlatform& SystemVistaPlatform() {
    static Win32VistaPlatform platform;
    return platform;
}

DllVersion CommonControlsVersion() {
    HMODULE comctl32 = GetModuleHandleA("comctl32.dll");
    const auto getVersion = comctl32 != nullptr ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(
                                                      GetProcAddress(comctl32, "DllGetVersion")))
                                                : nullptr;
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof(info);
    if (getVersion == nullptr || FAILED(getVersion(&info)))
        return DllVersion();
    return {info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace tessaline
