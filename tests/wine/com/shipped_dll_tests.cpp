// The shipped Kivrel3.dll as regsvr32, the shell and late-bound clients meet it. Under Wine
// it must stay inert: Wine's kernel32 exports GetLocaleInfoEx, which the version test takes
// for Vista or later, whatever version Wine reports.
#include <gtest/gtest.h>

#include "Identity.h"
#include "PageHarness.h"
#include "TestRegistry.h"

namespace tessaline::testing {
namespace {

const CLSID kPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
const CLSID kDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);
const bool kComReady = SUCCEEDED(CoInitialize(nullptr));

// A member called by name, as a script calls it; the text of a string result.
std::wstring Call(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* argument = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
    DISPPARAMS params = {argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, &result, nullptr, nullptr), S_OK) << name;
    std::wstring text = result.vt == VT_I2 ? std::to_wstring(result.iVal) : L"";
    if (result.vt == VT_BSTR && result.bstrVal != nullptr)
        text = result.bstrVal;
    VariantClear(&result);
    return text;
}

BOOL CALLBACK CountPage(HPROPSHEETPAGE, LPARAM count) { return ++*reinterpret_cast<int*>(count), TRUE; }

// A copy of the shipped DLL with vornex.dll beside it, as installed. It adds no page on what
// counts as Vista. The type library it caches goes back when DllCanUnloadNow lets the DLL
// go, since DllMain runs under the loader lock and must call nothing of oleaut32. Wine's
// LoadTypeLibEx hands out one cached object per file, so its count shows what the DLL holds.
TEST(ShippedDll, AddsNoPageAndGivesTheTypeLibraryBackOutsideTheLoaderLock) {
    const std::wstring folder = NewTempFolder(L"dll"), path = folder + L"\\Kivrel3.dll";
    ASSERT_TRUE(CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), path.c_str(), FALSE) &&
                CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), (folder + L"\\vornex.dll").c_str(), FALSE));
    HMODULE dll = LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr);
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    const auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(GetProcAddress(dll, "DllCanUnloadNow"));

    auto* ext = NewObject<IShellPropSheetExt>(getClassObject, kPage, IID_IShellPropSheetExt);
    int offered = 0;
    EXPECT_EQ(ext->AddPages(&CountPage, reinterpret_cast<LPARAM>(&offered)), S_OK);
    EXPECT_EQ(offered, 0) << "a page was added on what counts as Vista";
    EXPECT_EQ(ext->Release(), 0u);

    auto bindLate = [&] {
        IDispatch* list = NewObject<IDispatch>(getClassObject, kDropFiles, IID_IDispatch);
        EXPECT_EQ(Call(list, L"Count", DISPATCH_PROPERTYGET), L"0");
        list->Release();
    };
    bindLate();
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library), S_OK);
    auto references = [library] { return library->AddRef(), library->Release(); };
    const ULONG held = references();
    EXPECT_GT(held, 1u) << "ours and the DLL's";
    EXPECT_EQ(canUnloadNow(), S_OK);
    EXPECT_EQ(references(), 1u) << "DllCanUnloadNow kept the type library";
    bindLate();
    ASSERT_TRUE(FreeLibrary(dll));
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

// regsvr32 on the DLL in the System folder, as the installer and the uninstaller run it.
TEST(ShippedDll, RegistrationWritesOnlyItsOwnKeysAndTakesThemAllBack) {
    const std::wstring dll = SystemFile(L"Kivrel3.dll");
    ASSERT_TRUE(CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), dll.c_str(), FALSE));
    auto regsvr32 = [&](const wchar_t* args) { return RunWatched(SystemFile(L"regsvr32.exe") + args + dll).code; };
    // The handler key belongs to the installer; IDataObject, IShellExtInit and
    // IShellPropSheetExt to the system, and a careless library registration rewrites them.
    const char* const kOthers[] = {"*\\shellex\\PropertySheetHandlers\\Tessaline",
                                   "Interface\\{0000010E-0000-0000-C000-000000000046}",
                                   "Interface\\{000214E8-0000-0000-C000-000000000046}",
                                   "Interface\\{000214E9-0000-0000-C000-000000000046}"};
    ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, kOthers[0], REG_SZ, "x", 1), ERROR_SUCCESS);
    std::vector<std::string> before;
    for (const char* key : kOthers)
        before.push_back(Snapshot(key));

    ASSERT_EQ(regsvr32(L" /s "), 0u) << "3: not loadable, 4: no DllRegisterServer, 5: it failed";
    for (const char* clsid : {TESSALINE_CLSID_PAGE_TEXT, TESSALINE_CLSID_CLSDROPFILES_TEXT}) {
        const std::string server = std::string("CLSID\\") + clsid + "\\InprocServer32";
        EXPECT_EQ(ReadRegText(HKEY_CLASSES_ROOT, server, ""), ToAnsi(dll)) << clsid;
        EXPECT_EQ(ReadRegText(HKEY_CLASSES_ROOT, server, "ThreadingModel"), "Apartment") << clsid;
    }
    // GetDropFiles takes an IDataObject from the shell's types, which resolve once registered.
    const std::wstring folder = NewTempFolder(L"drop");
    ASSERT_TRUE(WriteBytes(folder + L"\\one.txt", "") && WriteBytes(folder + L"\\two.txt", "") &&
                CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    IDataObject* three = ShellSelection({folder + L"\\one.txt", folder + L"\\two.txt", folder + L"\\sub"});
    IDispatch* list = nullptr;
    ASSERT_EQ(CoCreateInstance(kDropFiles, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&list)),
              S_OK);
    IUnknown* pointer = three;
    VARIANT byRef;
    byRef.vt = VT_UNKNOWN | VT_BYREF;
    byRef.ppunkVal = &pointer;
    Call(list, L"GetDropFiles", DISPATCH_METHOD, &byRef);
    EXPECT_EQ(pointer, three) << "passed by reference, not changed";
    EXPECT_EQ(Call(list, L"Count", DISPATCH_PROPERTYGET), L"3");
    short index = 1;
    VARIANT argument;
    argument.vt = VT_I2 | VT_BYREF;
    argument.piVal = &index;
    EXPECT_EQ(Call(list, L"Files", DISPATCH_PROPERTYGET, &argument), folder + L"\\two.txt");
    EXPECT_EQ(list->Release(), 0u);
    EXPECT_EQ(three->Release(), 0u);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Snapshot(kOthers[i]), before[i]) << "registration changed " << kOthers[i];

    ASSERT_EQ(regsvr32(L" /s /u "), 0u);
    for (const char* key : {"CLSID\\" TESSALINE_CLSID_PAGE_TEXT, "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT,
                            "TypeLib\\" TESSALINE_LIBID_TESSALINE3_TEXT, "TypeLib\\" TESSALINE_LIBID_SHELLTYPES_TEXT,
                            "Interface\\" TESSALINE_IID_PAGE_TEXT, "Interface\\" TESSALINE_IID_CLSDROPFILES_TEXT})
        EXPECT_EQ(Snapshot(key), "") << "left behind";
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(Snapshot(kOthers[i]), before[i]) << "unregistration changed " << kOthers[i];
    EXPECT_EQ(regsvr32(L" /s /u "), 0u) << "an uninstall run twice finds nothing to remove, which is no failure";
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kOthers[0]);
}

}  // namespace
}  // namespace tessaline::testing
