// Windows 2000 SP4: version 5.0.2195 "Service Pack 4", shell32 5.0.3700, comctl32 5.81, and the wake masks before
// XP.
#include "TargetFacts.h"

namespace tessaline {

const targets::TargetSystem targets::kTarget = {
    {sizeof(OSVERSIONINFOA), 5, 0, 2195, VER_PLATFORM_WIN32_NT, "Service Pack 4"},
    {sizeof(DLLVERSIONINFO), 5, 0, 3700, DLLVER_PLATFORM_NT},
    {sizeof(DLLVERSIONINFO), 5, 81, 4948, DLLVER_PLATFORM_NT},
};
TESSALINE_TARGET_VERSIONS;

TESSALINE_REPLACE_IMPORT(MsgWaitForMultipleObjects, 20, targets::MsgWaitForMultipleObjectsBeforeXp);
TESSALINE_REPLACE_IMPORT(CreateFileW, 28, targets::CreateFileWWithPathLimit);

}  // namespace tessaline
