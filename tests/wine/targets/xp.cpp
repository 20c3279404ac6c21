// Windows XP SP3: version 5.1.2600, shell32 6.0.2900, comctl32 5.82. Wine, set to XP, answers every call as
// XP does.
#include "TargetFacts.h"

namespace tessaline {

VistaPlatform& SystemVistaPlatform() {
    static const ShellVersionFacts shell32 = {0, 6, 2900};
    static targets::TargetVersion xp({VER_PLATFORM_WIN32_NT, 5}, &shell32);
    return xp;
}

DllVersion CommonControlsVersion() { return {5, 82}; }

TESSALINE_REPLACE_IMPORT(CreateFileW, 28, targets::CreateFileWWithPathLimit);

}  // namespace tessaline
