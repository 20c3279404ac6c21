// The property-sheet handler the shell creates for every Properties dialog of files and
// folders. Inert on Windows Vista and later.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "Dispatch.h"
#include "Interfaces.h"
#include "Win32Util.h"
#include "clsDropFiles.h"

namespace tessaline {

// {4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}
inline constexpr CLSID CLSID_Page = {0x4B7A2E9F, 0x6C1D, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};
// {4B7A2E9D-6C1D-11E0-8F3A-5E21A7C3D094}
inline constexpr CLSID CLSID_clsDropFiles = {0x4B7A2E9D, 0x6C1D, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};

class Page : public DispatchImpl<_Page, IID__Page>, public IShellExtInit, public IShellPropSheetExt {
public:
    Page();
    virtual ~Page();
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidlFolder, IDataObject* pdtobj, HKEY hkeyProgID) override;

    // IShellPropSheetExt
    STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) override;
    STDMETHODIMP ReplacePage(UINT uPageID, LPFNADDPROPSHEETPAGE pfnReplaceWith, LPARAM lParam) override;

    // _Page
    STDMETHODIMP get_SelectedFile(BSTR* pVal) override;

private:
    HRESULT AddStreamsPage(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam);

    LONG refs_ = 0;
    short bIsVista = 0;                    // taken once, at creation
    ComPtr<clsDropFiles> oDropFiles;
};

}  // namespace tessaline
