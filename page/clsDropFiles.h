// The shell's selection as an ordered list of full names, with its dual interface
// _clsDropFiles for other clients of the class.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

#include "ComObject.h"
#include "Dispatch.h"
#include "Interfaces.h"

namespace tessaline {

class clsDropFiles final : public ComObject<clsDropFiles, DispatchImpl<_clsDropFiles, IID__clsDropFiles>> {
public:
    // Reads the CF_HDROP list of pDataObj (which may be null) in one pass. Names are taken
    // whole; a wide list's as they are, so a name outside the ANSI code page stays exact, an
    // ANSI list's through the system's code page.
    void GetDropFiles(IDataObject* pDataObj);

    short Count() const { return static_cast<short>(lCount); }  // low 16 bits
    std::wstring Files(short nIndex) const;
    std::wstring SelectedFile() const;  // the first item, or empty

    // _clsDropFiles: every member answers S_OK.
    STDMETHODIMP GetDropFiles(IDataObject** pDataObj) override;
    STDMETHODIMP get_Count(short* pVal) override;
    STDMETHODIMP get_Files(short* nIndex, BSTR* pVal) override;
    STDMETHODIMP get_SelectedFile(BSTR* pVal) override;

private:
    long lCount = 0;
    std::vector<std::wstring> sFiles;
};

}  // namespace tessaline
