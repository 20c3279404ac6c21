// The shipped Kivrel3.dll as regsvr32, the shell and late-bound clients meet it. Under Wine
// it must stay inert: Wine's kernel32 exports GetLocaleInfoEx, which the version test takes
// for Vista or later, whatever version Wine reports.
#include <gtest/gtest.h>

#include "Identity.h"
#include "PageHarness.h"

namespace tessaline::testing {
namespace {

const CLSID kPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
const CLSID kDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);
const bool kComReady = SUCCEEDED(CoInitialize(nullptr));

// The list's Count, called by name as a script calls it: late bound, through the type library.
short Count(IDispatch* list) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"Count")};
    DISPPARAMS none = {};
    VARIANT result = {};
    EXPECT_EQ(list->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(list->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    return result.vt == VT_I2 ? result.iVal : -1;
}

BOOL CALLBACK CountPage(HPROPSHEETPAGE, LPARAM count) { return ++*reinterpret_cast<int*>(count), TRUE; }

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// A copy of the shipped DLL, with vornex.dll beside it, loaded as the shell loads it.
struct LoadedCopy {
    std::wstring folder = NewTempFolder(L"dll"), path = folder + L"\\Kivrel3.dll";
    bool copied = CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), path.c_str(), FALSE) &&
                  CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), (folder + L"\\vornex.dll").c_str(), FALSE);
    HMODULE dll = LoadLibraryW(path.c_str());
    GetClassObjectFn getClassObject = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    volatile LONG stop = 0;

    void CountLate() const {
        IDispatch* list = NewObject<IDispatch>(getClassObject, kDropFiles, IID_IDispatch);
        EXPECT_EQ(Count(list), 0);
        list->Release();
    }
    // As COM asks for CoFreeUnusedLibraries, on a thread of its own.
    static DWORD WINAPI AskToUnload(void* self) {
        for (auto* copy = static_cast<LoadedCopy*>(self); !copy->stop;)
            copy->canUnloadNow();
        return 0;
    }
};

// It adds no page on what counts as Vista. The type library it binds late through is its own for its whole life: never
// given back while another thread may be calling through it (a script's, while another asks DllCanUnloadNow), nor in
// DllMain (loader lock). Wine hands out one cached type library object per file, so its count shows what the DLL holds.
TEST(ShippedDll, AddsNoPageAndKeepsItsTypeLibraryForItsWholeLife) {
    LoadedCopy copy;
    ASSERT_TRUE(copy.copied && copy.dll);
    auto* ext = NewObject<IShellPropSheetExt>(copy.getClassObject, kPage, IID_IShellPropSheetExt);
    int offered = 0;
    EXPECT_EQ(ext->AddPages(&CountPage, reinterpret_cast<LPARAM>(&offered)), S_OK);
    EXPECT_EQ(offered, 0) << "a page was added on what counts as Vista";
    EXPECT_EQ(ext->Release(), 0u);

    UniqueHandleNull asker(CreateThread(nullptr, 0, &LoadedCopy::AskToUnload, &copy, 0, nullptr));
    for (const DWORD end = GetTickCount() + 4000; LONG(end - GetTickCount()) > 0;)
        copy.CountLate();
    InterlockedExchange(&copy.stop, 1);
    EXPECT_EQ(WaitForSingleObject(asker.get(), 5000), WAIT_OBJECT_0);

    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(copy.path.c_str(), REGKIND_NONE, &library), S_OK);
    auto references = [library] { return library->AddRef(), library->Release(); };
    const ULONG held = references();
    EXPECT_GT(held, 1u) << "ours and the DLL's";
    EXPECT_EQ(copy.canUnloadNow(), S_OK);
    EXPECT_EQ(references(), held) << "DllCanUnloadNow gave the type library back";
    ASSERT_TRUE(FreeLibrary(copy.dll));
    EXPECT_EQ(references(), held) << "DllMain gave the type library back under the loader lock";
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
    for (DWORD i = 0, n = sizeof item; !RegEnumKeyExA(key.get(), i, item, &n, nullptr, nullptr, nullptr, nullptr);
         ++i, n = sizeof item)
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
    for (const std::string server : {"CLSID\\" TESSALINE_CLSID_PAGE_TEXT "\\InprocServer32",
                                     "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT "\\InprocServer32"})
        EXPECT_EQ(Snapshot(server),
                  "[" + server + "]\n=" + ToAnsi(dll) + '\0' + "\nThreadingModel=Apartment" + '\0' + '\n');
    IDispatch* list = nullptr;
    ASSERT_EQ(CoCreateInstance(kDropFiles, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&list)), S_OK);
    EXPECT_EQ(Count(list), 0) << "through the registered type library";
    EXPECT_EQ(list->Release(), 0u);
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

// GetModuleFileNameA cuts a path of MAX_PATH characters or more to MAX_PATH and answers that, so such a path may name
// another file (and XP could not open it): the DLL registers nothing from there. One character shorter, it registers
// its own path.
TEST(ShippedDll, RegistersOnlyAPathGetModuleFileNameGivesWhole) {
    const std::string server = "CLSID\\" TESSALINE_CLSID_PAGE_TEXT "\\InprocServer32";
    for (const size_t length : {MAX_PATH - 1, MAX_PATH}) {
        SCOPED_TRACE(length);
        const std::wstring name = L"\\Kivrel3.dll";
        std::wstring folder = NewTempFolder(L"long");
        folder += L"\\" + std::wstring(length - folder.size() - 1 - name.size(), L'x');
        const std::wstring path = folder + name;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) &&
                    CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), path.c_str(), FALSE));
        UniqueLibrary dll(LoadLibraryW(path.c_str()));
        ASSERT_TRUE(dll);
        auto registration = [&dll](const char* exported) {
            using Export = HRESULT(STDAPICALLTYPE*)();
            return reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(dll.get(), exported)))();
        };
        const HRESULT registered = registration("DllRegisterServer");
        EXPECT_EQ(Snapshot(server).find("\n=" + ToAnsi(path) + '\0' + '\n') != std::string::npos, length < MAX_PATH)
            << std::hex << registered << "\n" << Snapshot(server);
        registration("DllUnregisterServer");
    }
}

}  // namespace
}  // namespace tessaline::testing
