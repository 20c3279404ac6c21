// IDispatch of the dual interfaces, answered from the type library in our resources.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "Boundary.h"
#include "Registration.h"

namespace tessaline {

// The vtable half of a dual interface: ITypeInfo::Invoke must call through the vtable,
// not back into IDispatch::Invoke.
inline HRESULT GetDualTypeInfo(REFIID iid, ITypeInfo** info) {
    *info = nullptr;
    ITypeInfo* found = nullptr;
    HRESULT hr = LoadOwnTypeInfo(iid, &found);
    if (FAILED(hr))
        return hr;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(found->GetTypeAttr(&attr))) {
        const bool dispatchHalf = attr->typekind == TKIND_DISPATCH;
        found->ReleaseTypeAttr(attr);
        if (dispatchHalf) {
            HREFTYPE vtableHalf = 0;
            ITypeInfo* vtableInfo = nullptr;
            if (SUCCEEDED(found->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf)) &&
                SUCCEEDED(found->GetRefTypeInfo(vtableHalf, &vtableInfo))) {
                found->Release();
                found = vtableInfo;
            }
        }
    }
    *info = found;
    return S_OK;
}

template <class Interface, const IID& iid>
class DispatchImpl : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return ComBoundary([&] { return GetDualTypeInfo(iid, info); });
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* info = nullptr;
        HRESULT hr = ComBoundary([&] { return GetDualTypeInfo(iid, &info); });
        if (FAILED(hr))
            return hr;
        hr = DispGetIDsOfNames(info, names, count, ids);
        info->Release();
        return hr;
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* info = nullptr;
        HRESULT hr = ComBoundary([&] { return GetDualTypeInfo(iid, &info); });
        if (FAILED(hr))
            return hr;
        hr = info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argError);
        info->Release();
        return hr;
    }
};

}  // namespace tessaline
