// The uninstall procedure apart from the platform: which step runs and in which order.
#pragma once

#include <cstdint>
#include <string>

#include "SetupShared.h"

namespace tessaline {

// What the uninstall needs of the system.
class UninstallSystem {
public:
    virtual ~UninstallSystem() = default;
    virtual std::wstring GetFolderPath(short selector) = 0;
    virtual ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) = 0;
    virtual bool DeleteRegKey(RegRoot root, const std::wstring& parentKey, const std::wstring& subKey) = 0;
    // True when no file is left at the path.
    virtual bool DeleteFileForced(const std::wstring& path) = 0;
    // Has the file deleted when Windows next starts.
    virtual void DeleteAtRestart(const std::wstring& path) = 0;
};

// Unregisters the page DLL, removes the three keys and deletes the two DLLs, or has them
// deleted at the next restart where they are in use; reports nothing. Without the System
// folder it does none of it.
void UninstallFlow(UninstallSystem& system);

}  // namespace tessaline
