// Stand-in for the version facts: what Windows XP SP3 reports (Wine always counts as
// Vista or later, since its kernel32 exports GetLocaleInfoEx).
#include "CVista.h"

namespace tessaline {
namespace {

class XpPlatform : public VistaPlatform {
public:
    OsVersionFacts GetVersion() override { return {2, 5}; }
    bool Kernel32ExportsGetLocaleInfoEx() override { return false; }
    bool Shell32ExportsDllGetVersion() override { return true; }
    ShellVersionFacts CallShell32DllGetVersion() override { return {0, 6, 2900}; }
};

}  // namespace

VistaPlatform& SystemVistaPlatform() {
    static XpPlatform platform;
    return platform;
}

}  // namespace tessaline
