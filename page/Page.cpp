#include "Page.h"

#include <commctrl.h>

#include "Boundary.h"
#include "CVista.h"
#include "ModProps.h"
#include "Server.h"
#include "VersionFacts.h"
#include "Win32Util.h"
#include "resource.h"

namespace tessaline {
namespace {

// The page descriptor up to and including pszHeaderSubTitle in a 32-bit build, which
// comctl32 takes from 4.71 on; 4.70 and older (NT4 without Internet Explorer 4) take
// exactly its first version.
UINT PageDescriptorSize() {
    const DllVersion comctl32 = CommonControlsVersion();
    const bool v471 = comctl32.major > 4 || (comctl32.major == 4 && comctl32.minor >= 71);
    return v471 ? 48 : PROPSHEETPAGEA_V1_SIZE;
}

using AddPropertyPageFn = BOOL(WINAPI*)(LPFNADDPROPSHEETPAGE, HPROPSHEETPAGE, LPARAM);

// vornex.dll ships beside this DLL and is loaded from there by its full path: through the
// search path, a copy planted in Explorer's current folder would run inside Explorer.
std::string VornexPath() {
    std::string path;
    if (FAILED(ModulePath(g_module, path)))
        return std::string();
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1) + "vornex.dll";
}

// vornex.dll is loaded for the call and freed after it: nothing of it is needed once the
// page is handed over, and a library Explorer keeps loaded could not be deleted by an
// uninstall or replaced by an upgrade. A missing library or export counts as a refusal.
BOOL AddPropertyPage(const std::string& vornexPath, LPFNADDPROPSHEETPAGE pfnAddPage, HPROPSHEETPAGE page,
                     LPARAM lParam) {
    if (vornexPath.empty())
        return FALSE;
    UniqueLibrary vornex(LoadLibraryA(vornexPath.c_str()));
    if (!vornex)
        return FALSE;
    const auto addPage = reinterpret_cast<AddPropertyPageFn>(
        reinterpret_cast<void*>(GetProcAddress(vornex.get(), "AddPropertyPage")));
    return addPage != nullptr ? addPage(pfnAddPage, page, lParam) : FALSE;
}

}  // namespace

Page::Page() {
    CVista vista;
    bIsVista = vista.IsOSVista();
}

// IShellExtInit ----------------------------------------------------------------------

STDMETHODIMP Page::Initialize(PCIDLIST_ABSOLUTE, IDataObject* pdtobj, HKEY) {
    if (bIsVista == -1)
        return S_OK;
    auto* list = new (std::nothrow) clsDropFiles;
    if (list == nullptr)
        return E_OUTOFMEMORY;
    list->AddRef();
    oDropFiles.attach(list);
    return ComBoundary([&] {
        oDropFiles->GetDropFiles(pdtobj);
        return S_OK;
    });
}

// IShellPropSheetExt -----------------------------------------------------------------

STDMETHODIMP Page::AddPages(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
    if (bIsVista == -1)
        return S_OK;
    return ComBoundary([&] { return AddStreamsPage(pfnAddPage, lParam); });
}

HRESULT Page::AddStreamsPage(LPFNADDPROPSHEETPAGE pfnAddPage, LPARAM lParam) {
    // Everything that allocates comes first: from the AddRef below on, nothing may fail
    // half-way.
    const std::string title = ToAnsi(L"Streams");
    const std::string vornexPath = VornexPath();
    PROPSHEETPAGEA page = {};
    page.dwSize = PageDescriptorSize();
    page.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
    page.hInstance = g_module;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_STREAMS_PAGE);
    page.pszTitle = title.c_str();
    page.pfnDlgProc = reinterpret_cast<DLGPROC>(ProcAddress(reinterpret_cast<LONG_PTR>(&PageDlgProc)));
    page.lParam = reinterpret_cast<LPARAM>(static_cast<_Page*>(this));
    page.pfnCallback = reinterpret_cast<LPFNPSPCALLBACKA>(ProcAddress(reinterpret_cast<LONG_PTR>(&PageCallbackProc)));

    // The page holds this object by address only; this reference keeps it alive after
    // the shell lets go of it. PageCallbackProc gives it back at PSPCB_RELEASE.
    AddRef();
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
    if (handle == nullptr) {
        Release();  // no page, so no PSPCB_RELEASE will come
        return S_OK;
    }
    if (!AddPropertyPage(vornexPath, pfnAddPage, handle, lParam))
        DestroyPropertySheetPage(handle);  // sends PSPCB_RELEASE
    return S_OK;
}

STDMETHODIMP Page::ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) { return S_OK; }

// _Page ------------------------------------------------------------------------------

STDMETHODIMP Page::get_SelectedFile(BSTR* pVal) {
    if (pVal == nullptr)
        return S_OK;
    return ComBoundary([&] {
        // Not by the 16-bit Count, which reads 65,536 items as none.
        const std::wstring name = oDropFiles ? oDropFiles->SelectedFile() : std::wstring();
        *pVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        return S_OK;
    });
}

}  // namespace tessaline
