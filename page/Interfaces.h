// The dual interfaces of Kivrel3's two classes, their members as Identity.h lists them.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

#include "Identity.h"

namespace tessaline {

inline constexpr IID IID__Page = TESSALINE_GUID(TESSALINE_IID_PAGE);
inline constexpr IID IID__clsDropFiles = TESSALINE_GUID(TESSALINE_IID_CLSDROPFILES);

#define TESSALINE_METHOD_FUNC(name) name
#define TESSALINE_METHOD_PROPERTYGET(name) get_##name
#define TESSALINE_DECLARE_MEMBER(kind, name, dispid, params) \
    virtual HRESULT STDMETHODCALLTYPE TESSALINE_METHOD_##kind(name) params = 0;

struct _Page : public IDispatch {
    TESSALINE_PAGE_MEMBERS(TESSALINE_DECLARE_MEMBER)
};

struct _clsDropFiles : public IDispatch {
    TESSALINE_CLSDROPFILES_MEMBERS(TESSALINE_DECLARE_MEMBER)
};

#undef TESSALINE_DECLARE_MEMBER
#undef TESSALINE_METHOD_PROPERTYGET
#undef TESSALINE_METHOD_FUNC

}  // namespace tessaline
