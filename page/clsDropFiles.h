// The shell's selection as an ordered list of full names.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace tessaline {

class clsDropFiles {
public:
    // Reads the CF_HDROP list of pDataObj (which may be null). Names are taken whole and
    // as wide text, so a long path or a name outside the ANSI code page stays exact.
    void GetDropFiles(IDataObject* pDataObj);

    short Count() const { return static_cast<short>(lCount); }  // low 16 bits
    std::wstring Files(short nIndex) const;
    std::wstring SelectedFile() const;  // the first item, or empty

private:
    long lCount = 0;
    std::vector<std::wstring> sFiles;
};

}  // namespace tessaline
