// The property-sheet handler the shell creates for every Properties dialog of files and
// folders. Inert on Windows Vista and later.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComObject.h"
#include "Dispatch.h"
#include "Identity.h"
#include "Interfaces.h"
#include "Win32Util.h"
#include "clsDropFiles.h"

namespace tessaline {

inline constexpr CLSID CLSID_Page = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
inline constexpr CLSID CLSID_clsDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);

class Page final : public ComObject<Page, DispatchImpl<_Page, IID__Page>, IShellExtInit, IShellPropSheetExt> {
public:
    Page();

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) override;
    STDMETHODIMP ReplacePage(UINT uPageID, LPFNADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) override;

    // _Page
    STDMETHODIMP get_SelectedFile(BSTR* pVal) override;

private:
    HRESULT AddStreamsPage(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam);

    short bIsVista = 0;                    // taken once, at creation
    ComPtr<clsDropFiles> oDropFiles;
};

}  // namespace tessaline
