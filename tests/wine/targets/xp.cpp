// Windows XP SP3: version 5.1.2600 "Service Pack 3", shell32 6.0.2900, comctl32 5.82. Wine, set to XP, answers
// every other call as XP does.
#include "TargetFacts.h"

namespace tessaline {

const targets::TargetSystem targets::kTarget = {
    {sizeof(OSVERSIONINFOA), 5, 1, 2600, VER_PLATFORM_WIN32_NT, "Service Pack 3"},
    {sizeof(DLLVERSIONINFO), 6, 0, 2900, DLLVER_PLATFORM_NT},
    {sizeof(DLLVERSIONINFO), 5, 82, 2900, DLLVER_PLATFORM_NT},
};
TESSALINE_TARGET_VERSIONS;

TESSALINE_REPLACE_IMPORT(CreateFileW, 28, targets::CreateFileWWithPathLimit);

}  // namespace tessaline
