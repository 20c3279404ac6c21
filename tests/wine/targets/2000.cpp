// Windows 2000 SP4: version 5.0.2195, shell32 5.0.3700, comctl32 5.81, and the wake masks before XP.
#include "TargetFacts.h"

namespace tessaline {

VistaPlatform& SystemVistaPlatform() {
    static const ShellVersionFacts shell32 = {0, 5, 3700};
    static targets::TargetVersion windows2000({VER_PLATFORM_WIN32_NT, 5}, &shell32);
    return windows2000;
}

TESSALINE_REPLACE_IMPORT(MsgWaitForMultipleObjects, 20, targets::MsgWaitForMultipleObjectsBeforeXp);

DllVersion CommonControlsVersion() { return {5, 81}; }

TESSALINE_REPLACE_IMPORT(CreateFileW, 28, targets::CreateFileWWithPathLimit);

}  // namespace tessaline
