// ModUnTS: the uninstaller's system procedures, GetFolderPath, DeleteFileForced and
// DeleteRegKey, all of them ModSHInstall's (the installer takes its own keys back with
// DeleteRegKey when an install fails halfway).
#pragma once

#include "ModSHInstall.h"
