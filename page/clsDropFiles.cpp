#include "clsDropFiles.h"

#include <shellapi.h>

#include "Boundary.h"
#include "Win32Util.h"

namespace tessaline {

void clsDropFiles::GetDropFiles(IDataObject* pDataObj) {
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    UniqueStgMedium owned;
    if (pDataObj != nullptr)
        pDataObj->GetData(&format, owned.put());
    const STGMEDIUM& medium = owned.get();

    std::vector<std::wstring> names;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        const HDROP drop = static_cast<HDROP>(medium.hGlobal);
        const UINT items = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < items; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            if (length == 0)
                continue;  // no entry and no gap
            std::wstring name(length + 1, L'\0');
            const UINT copied = DragQueryFileW(drop, i, &name[0], length + 1);
            if (copied == 0)
                continue;
            name.resize(copied);
            names.push_back(std::move(name));
        }
    }
    sFiles.swap(names);
    lCount = static_cast<long>(sFiles.size());
}

std::wstring clsDropFiles::Files(short nIndex) const {
    if (nIndex < 0 || nIndex >= lCount)
        return std::wstring();
    return sFiles[nIndex];
}

std::wstring clsDropFiles::SelectedFile() const {
    return lCount == 0 ? std::wstring() : sFiles[0];
}

// ---- COM face ----------------------------------------------------------------------

STDMETHODIMP clsDropFiles::GetDropFiles(IDataObject** pDataObj) {
    return ComBoundary([&] {
        GetDropFiles(pDataObj != nullptr ? *pDataObj : nullptr);
        return S_OK;
    });
}

STDMETHODIMP clsDropFiles::get_Count(short* pVal) {
    if (pVal != nullptr)
        *pVal = Count();
    return S_OK;
}

STDMETHODIMP clsDropFiles::get_Files(short* nIndex, BSTR* pVal) {
    return ComBoundary([&] {
        if (pVal != nullptr) {
            const std::wstring name = nIndex != nullptr ? Files(*nIndex) : std::wstring();
            *pVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        }
        return S_OK;
    });
}

STDMETHODIMP clsDropFiles::get_SelectedFile(BSTR* pVal) {
    return ComBoundary([&] {
        if (pVal != nullptr) {
            const std::wstring name = SelectedFile();
            *pVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        }
        return S_OK;
    });
}

}  // namespace tessaline
