#include "VistaDecision.h"

namespace tessaline {

bool IsVistaOrLater(VistaPlatform& platform) {
    const OsVersionFacts os = platform.GetVersion();
    if (os.platformId == 2 && os.majorVersion > 5)
        return true;

    if (platform.Kernel32ExportsGetLocaleInfoEx())
        return true;

    // DllGetVersion is never called on a shell32 that does not export it.
    if (!platform.Shell32ExportsDllGetVersion())
        return false;
    const ShellVersionFacts shell = platform.CallShell32DllGetVersion();
    return shell.result == 0 && shell.majorVersion == 6 && shell.buildNumber > 5000;
}

}  // namespace tessaline
