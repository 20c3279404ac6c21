// The shipped Kivrel3.dll as regsvr32, the shell and late-bound clients meet it. Under Wine
// it must stay inert: Wine's kernel32 exports GetLocaleInfoEx, which the version test takes
// for Vista or later, whatever version Wine reports.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Identity.h"
#include "TestDataObject.h"
#include "TestFiles.h"
#include "TestRegistry.h"

namespace tessaline::testing {
namespace {

const CLSID kPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
const CLSID kDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFn = HRESULT(WINAPI*)();

template <class T>
T* Create(HMODULE dll, REFCLSID clsid, REFIID iid) {
    auto getClass = reinterpret_cast<GetClassObjectFn>(GetProcAddress(dll, "DllGetClassObject"));
    IClassFactory* factory = nullptr;
    T* object = nullptr;
    EXPECT_EQ(getClass(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    if (factory != nullptr) {
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object)), S_OK);
        factory->Release();
    }
    return object;
}

std::wstring Text(VARIANT v) {
    std::wstring text = v.vt == VT_BSTR && v.bstrVal != nullptr ? v.bstrVal : L"<not text>";
    VariantClear(&v);
    return text;
}

// By name, as a script calls it.
VARIANT Call(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* argument = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    DISPPARAMS params = {argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result, nullptr, nullptr), S_OK);
    return result;
}

BOOL CALLBACK CountPage(HPROPSHEETPAGE, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// A copy of the shipped DLL with vornex.dll beside it, as installed, loaded from a folder of
// its own.
struct Dll {
    const std::wstring path = NewTempFolder(L"dll") + L"\\Kivrel3.dll";
    const bool copied = CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), path.c_str(), FALSE) &&
                        CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(),
                                  (path.substr(0, path.size() - 11) + L"vornex.dll").c_str(), FALSE);
    HMODULE module = LoadLibraryW(path.c_str());
    HRESULT CanUnloadNow() { return reinterpret_cast<CanUnloadNowFn>(GetProcAddress(module, "DllCanUnloadNow"))(); }
};

TEST(ShippedDll, PageIsInertAndAnswersLateBoundCalls) {
    CoInitialize(nullptr);
    Dll dll;
    ASSERT_NE(dll.module, nullptr);
    const std::wstring file = NewTempFolder(L"inert") + L"\\f.txt";
    ASSERT_TRUE(WriteBytes(file, "f") && WriteBytes(StreamPath(file, L"s"), "s"));
    TestDataObject data({file}, true);

    IShellExtInit* init = Create<IShellExtInit>(dll.module, kPage, IID_IShellExtInit);
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->Initialize(nullptr, &data, nullptr), S_OK);
    IShellPropSheetExt* ext = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
    int offered = 0;
    EXPECT_EQ(ext->AddPages(&CountPage, reinterpret_cast<LPARAM>(&offered)), S_OK);
    EXPECT_EQ(offered, 0) << "a page was added on what counts as Vista";
    ext->Release();
    IDispatch* page = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&page)), S_OK);
    EXPECT_EQ(Text(Call(page, L"SelectedFile", DISPATCH_PROPERTYGET)), L"");
    page->Release();
    EXPECT_EQ(init->Release(), 0u);

    EXPECT_EQ(data.refs(), 1);
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
}

// The cached type library goes back when DllCanUnloadNow lets the DLL go; DllMain runs
// under the loader lock and must call nothing of oleaut32. Wine's LoadTypeLibEx hands out
// one cached object per file, so its count shows what the DLL holds.
TEST(ShippedDll, TheTypeLibraryGoesBackOutsideTheLoaderLock) {
    CoInitialize(nullptr);
    Dll dll;
    HMODULE module = dll.module;
    ASSERT_NE(module, nullptr);
    auto bindLate = [&] {
        IDispatch* list = Create<IDispatch>(module, kDropFiles, IID_IDispatch);
        VARIANT count = Call(list, L"Count", DISPATCH_PROPERTYGET);
        VariantClear(&count);
        list->Release();
    };
    bindLate();
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(dll.path.c_str(), REGKIND_NONE, &library), S_OK);
    auto references = [library] { library->AddRef(); return library->Release(); };
    const ULONG held = references();
    EXPECT_GT(held, 1u) << "ours and the DLL's";
    EXPECT_EQ(dll.CanUnloadNow(), S_OK);
    EXPECT_EQ(references(), 1u) << "DllCanUnloadNow kept the type library";
    bindLate();
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(references(), held) << "DllMain released the type library under the loader lock";
    library->Release();
}

// Every value and subkey below a key of HKEY_CLASSES_ROOT, for before/after comparisons.
std::string Snapshot(const std::string& name) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return "";
    std::string text = "[" + name + "]\n";
    char item[256];
    BYTE data[1024];
    for (DWORD i = 0, n = sizeof item, size = sizeof data;
         RegEnumValueA(key.get(), i, item, &n, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
         ++i, n = sizeof item, size = sizeof data)
        text += std::string(item) + "=" + std::string(reinterpret_cast<char*>(data), size) + "\n";
    for (DWORD i = 0, n = sizeof item;
         RegEnumKeyExA(key.get(), i, item, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i, n = sizeof item)
        text += Snapshot(name + "\\" + item);
    return text;
}

// GetDropFiles takes an IDataObject from the shell's types, which resolve once registered.
void ExpectDropFilesBindLate(IDispatch* list) {
    TestDataObject three({L"C:\\one.txt", L"C:\\two.txt", L"C:\\folder"}, false);
    IUnknown* pointer = &three;
    VARIANT byRef;
    byRef.vt = VT_UNKNOWN | VT_BYREF;
    byRef.ppunkVal = &pointer;
    Call(list, L"GetDropFiles", DISPATCH_METHOD, &byRef);
    EXPECT_EQ(pointer, &three) << "passed by reference, not changed";
    VARIANT count = Call(list, L"Count", DISPATCH_PROPERTYGET);
    EXPECT_EQ(count.vt, VT_I2);
    EXPECT_EQ(count.iVal, 3);
    short index = 1;
    VARIANT argument;
    argument.vt = VT_I2 | VT_BYREF;
    argument.piVal = &index;
    EXPECT_EQ(Text(Call(list, L"Files", DISPATCH_PROPERTYGET, &argument)), L"C:\\two.txt");
    EXPECT_EQ(Text(Call(list, L"SelectedFile", DISPATCH_PROPERTYGET)), L"C:\\one.txt");
    EXPECT_EQ(list->Release(), 0u);
    EXPECT_EQ(three.refs(), 1);
}

// regsvr32 on the DLL in the System folder, as the installer and the uninstaller run it.
TEST(ShippedDll, RegistrationWritesOnlyItsOwnKeysAndTakesThemAllBack) {
    const std::wstring dll = SystemFile(L"Kivrel3.dll");
    ASSERT_TRUE(CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), dll.c_str(), FALSE));
    auto regsvr32 = [&](const wchar_t* args) {
        return static_cast<int>(RunAndWait(SystemFile(L"regsvr32.exe"), L"regsvr32.exe " + std::wstring(args) + L" " + dll));
    };
    // The handler keys belong to the installer; IDataObject, IShellExtInit and
    // IShellPropSheetExt to the system, and a careless library registration rewrites them.
    const char* const kOthers[] = {"*\\shellex\\PropertySheetHandlers\\Tessaline",
                                   "Interface\\{0000010E-0000-0000-C000-000000000046}",
                                   "Interface\\{000214E8-0000-0000-C000-000000000046}",
                                   "Interface\\{000214E9-0000-0000-C000-000000000046}"};
    UniqueKey handler;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kOthers[0], 0, nullptr, 0, KEY_WRITE, nullptr, handler.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(handler.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    std::vector<std::string> before;
    for (const char* key : kOthers)
        before.push_back(Snapshot(key));

    ASSERT_EQ(regsvr32(L"/s"), 0) << "3: not loadable, 4: no DllRegisterServer, 5: it failed";
    for (const char* clsid : {TESSALINE_CLSID_PAGE_TEXT, TESSALINE_CLSID_CLSDROPFILES_TEXT}) {
        const std::string server = std::string("CLSID\\") + clsid + "\\InprocServer32";
        EXPECT_EQ(ReadRegText(HKEY_CLASSES_ROOT, server, ""), ToAnsi(dll)) << clsid;
        EXPECT_EQ(ReadRegText(HKEY_CLASSES_ROOT, server, "ThreadingModel"), "Apartment") << clsid;
    }
    CoInitialize(nullptr);
    IDispatch* list = nullptr;
    ASSERT_EQ(CoCreateInstance(kDropFiles, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&list)),
              S_OK);
    ExpectDropFilesBindLate(list);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Snapshot(kOthers[i]), before[i]) << "registration changed " << kOthers[i];

    ASSERT_EQ(regsvr32(L"/s /u"), 0);
    for (const char* key : {"CLSID\\" TESSALINE_CLSID_PAGE_TEXT, "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT,
                            "TypeLib\\" TESSALINE_LIBID_TESSALINE3_TEXT, "TypeLib\\" TESSALINE_LIBID_SHELLTYPES_TEXT,
                            "Interface\\" TESSALINE_IID_PAGE_TEXT, "Interface\\" TESSALINE_IID_CLSDROPFILES_TEXT})
        EXPECT_EQ(Snapshot(key), "") << "left behind";
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Snapshot(kOthers[i]), before[i]) << "unregistration changed " << kOthers[i];
    EXPECT_EQ(regsvr32(L"/s /u"), 0) << "an uninstall run twice finds nothing to remove, which is no failure";
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kOthers[0]);
}

}  // namespace
}  // namespace tessaline::testing
