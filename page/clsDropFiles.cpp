#include "clsDropFiles.h"

#include <climits>
#include <cstring>

#include "Boundary.h"
#include "DropFileList.h"
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
        // One pass over the block itself: DragQueryFile walks the list from its start for
        // each index, and counts in 16 bits on some systems.
        const UniqueGlobalLock locked(medium.hGlobal);
        const auto* block = static_cast<const uint8_t*>(locked.get());
        WalkDropFiles(block, block != nullptr ? GlobalSize(medium.hGlobal) : 0, [&](const DropName& at) {
            std::wstring name;
            if (at.wide) {
                name.resize(at.length);
                std::memcpy(&name[0], block + at.offset, 2 * at.length);  // may be unaligned
            } else if (at.length <= INT_MAX) {
                name = FromAnsi(reinterpret_cast<const char*>(block + at.offset), static_cast<int>(at.length));
            }
            if (!name.empty())  // no entry and no gap
                names.push_back(std::move(name));
        });
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
