// Tessaline's identities, each written here once: the class, interface and library ids of
// Kivrel3's COM server, the version of its type library, the members of its dual
// interfaces with their dispatch ids, and the version the two setup programs share.
// Preprocessor definitions only, so that resource scripts, the portable install flow and
// the Windows code all read the same text.
//
// An id stands twice, side by side: as the text the registry holds and as the GUID's
// fields. TESSALINE_GUID(fields) is the initializer of a GUID, and
// TESSALINE_GUID_RESOURCE(fields) the data of an identifier resource: a 32-bit length, 16,
// then the GUID as it lies in memory. The C++ check at the end keeps each pair in step.
#pragma once

// Page, the property-sheet handler: the installer names it in the shell's handler keys.
#define TESSALINE_CLSID_PAGE_TEXT "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_CLSID_PAGE 0x4B7A2E9F, 0x6C1D, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94

// clsDropFiles, the selection as a list of names.
#define TESSALINE_CLSID_CLSDROPFILES_TEXT "{4B7A2E9D-6C1D-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_CLSID_CLSDROPFILES 0x4B7A2E9D, 0x6C1D, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94

// _Page and _clsDropFiles, the dual interfaces of the two classes.
#define TESSALINE_IID_PAGE_TEXT "{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_IID_PAGE 0xD81C05A4, 0x6E2B, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94
#define TESSALINE_IID_CLSDROPFILES_TEXT "{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_IID_CLSDROPFILES 0xD81C05A5, 0x6E2B, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94

// Tessaline3, the type library of both classes, registered by its id, version and locale.
#define TESSALINE_LIBID_TESSALINE3_TEXT "{4B7A2E9B-6C1D-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_LIBID_TESSALINE3 0x4B7A2E9B, 0x6C1D, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94
#define TESSALINE_TESSALINE3_MAJOR 2
#define TESSALINE_TESSALINE3_MINOR 0
#define TESSALINE_TESSALINE3_LCID 0x0409

// TessalineShell, the library Tessaline3 imports the shell's interfaces from.
#define TESSALINE_LIBID_SHELLTYPES_TEXT "{4B7A2EA1-6C1D-11E0-8F3A-5E21A7C3D094}"
#define TESSALINE_LIBID_SHELLTYPES 0x4B7A2EA1, 0x6C1D, 0x11E0, 0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94

// Dispatch ids of the members of the dual interfaces.
#define TESSALINE_DISPID_PAGE_SELECTEDFILE 0x68030001
#define TESSALINE_DISPID_CLSDROPFILES_GETDROPFILES 0x60030007
#define TESSALINE_DISPID_CLSDROPFILES_COUNT 0x68030006
#define TESSALINE_DISPID_CLSDROPFILES_FILES 0x68030005
#define TESSALINE_DISPID_CLSDROPFILES_SELECTEDFILE 0x68030004

// The members of each dual interface in vtable order, after IDispatch's:
// X(kind, name, dispatch id, C++ parameters). The kind is FUNC or PROPERTYGET (as in
// INVOKE_FUNC); the C++ method of a property is get_<name>. The interface declarations,
// the type-library generator and its test all take their members from here.
#define TESSALINE_PAGE_MEMBERS(X)                                                  \
    X(PROPERTYGET, SelectedFile, TESSALINE_DISPID_PAGE_SELECTEDFILE, (BSTR* pVal))

#define TESSALINE_CLSDROPFILES_MEMBERS(X)                                                                 \
    X(FUNC,        GetDropFiles, TESSALINE_DISPID_CLSDROPFILES_GETDROPFILES, (IDataObject** pDataObj))    \
    X(PROPERTYGET, Count,        TESSALINE_DISPID_CLSDROPFILES_COUNT,        (short* pVal))               \
    X(PROPERTYGET, Files,        TESSALINE_DISPID_CLSDROPFILES_FILES,        (short* nIndex, BSTR* pVal)) \
    X(PROPERTYGET, SelectedFile, TESSALINE_DISPID_CLSDROPFILES_SELECTEDFILE, (BSTR* pVal))

// The version of kivsetup.exe and kivremove.exe, as their version resources give it.
#define TESSALINE_SETUP_VERSION 1, 9, 0, 501
#define TESSALINE_SETUP_VERSION_TEXT "1.09.0501"

#define TESSALINE_GUID(fields) TESSALINE_GUID_(fields)
#define TESSALINE_GUID_(l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7) \
    { l, w1, w2, { b0, b1, b2, b3, b4, b5, b6, b7 } }

// Words of a resource script, low byte first; windres knows no shifts.
#define TESSALINE_GUID_RESOURCE(fields) TESSALINE_GUID_RESOURCE_(fields)
#define TESSALINE_GUID_RESOURCE_(l, w1, w2, b0, b1, b2, b3, b4, b5, b6, b7) \
    16L, l##L, w1, w2, b0 + b1 * 256, b2 + b3 * 256, b4 + b5 * 256, b6 + b7 * 256

#if defined(__cplusplus) && !defined(RC_INVOKED)
namespace tessaline::identity {

constexpr int HexDigit(char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// The number written in text[first, first + count) in upper-case hexadecimal, or -1.
constexpr long long HexAt(const char* text, int first, int count) {
    long long value = 0;
    for (int i = first; i < first + count; ++i) {
        if (HexDigit(text[i]) < 0)
            return -1;
        value = value * 16 + HexDigit(text[i]);
    }
    return value;
}

// True when text is "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" naming exactly these fields.
constexpr bool TextNames(const char* text, long long l, long long w1, long long w2, long long b0, long long b1,
                         long long b2, long long b3, long long b4, long long b5, long long b6, long long b7) {
    const long long bytes[] = {b0, b1, b2, b3, b4, b5, b6, b7};
    const int byteAt[] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (int i = 0; i < 8; ++i)
        if (HexAt(text, byteAt[i], 2) != bytes[i])
            return false;
    return text[0] == '{' && HexAt(text, 1, 8) == l && text[9] == '-' && HexAt(text, 10, 4) == w1 &&
           text[14] == '-' && HexAt(text, 15, 4) == w2 && text[19] == '-' && text[24] == '-' && text[37] == '}' &&
           text[38] == '\0';
}

#define TESSALINE_SAME_ID(text, fields) static_assert(tessaline::identity::TextNames(text, fields), text)
TESSALINE_SAME_ID(TESSALINE_CLSID_PAGE_TEXT, TESSALINE_CLSID_PAGE);
TESSALINE_SAME_ID(TESSALINE_CLSID_CLSDROPFILES_TEXT, TESSALINE_CLSID_CLSDROPFILES);
TESSALINE_SAME_ID(TESSALINE_IID_PAGE_TEXT, TESSALINE_IID_PAGE);
TESSALINE_SAME_ID(TESSALINE_IID_CLSDROPFILES_TEXT, TESSALINE_IID_CLSDROPFILES);
TESSALINE_SAME_ID(TESSALINE_LIBID_TESSALINE3_TEXT, TESSALINE_LIBID_TESSALINE3);
TESSALINE_SAME_ID(TESSALINE_LIBID_SHELLTYPES_TEXT, TESSALINE_LIBID_SHELLTYPES);
#undef TESSALINE_SAME_ID

}  // namespace tessaline::identity
#endif
