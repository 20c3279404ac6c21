// The dual interfaces of Kivrel3's two classes, in the vtable order of the type library.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

namespace tessaline {

// {D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}
inline constexpr IID IID__Page = {0xD81C05A4, 0x6E2B, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};
// {D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}
inline constexpr IID IID__clsDropFiles = {0xD81C05A5, 0x6E2B, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};

struct _Page : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_SelectedFile(BSTR* pVal) = 0;
};

struct _clsDropFiles : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetDropFiles(IDataObject** pDataObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(short* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Files(short* nIndex, BSTR* pVal) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectedFile(BSTR* pVal) = 0;
};

}  // namespace tessaline
