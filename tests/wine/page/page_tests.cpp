// The Streams page as a user meets it, in a program built as Kivrel3.dll is over a target's
// facts (version, calls, path limit) and streams emulated as sibling files "file:stream".
#include <gtest/gtest.h>

#include "ModProps.h"
#include "Page.h"
#include "PageHarness.h"
#include "Server.h"

namespace tessaline {
namespace {

using namespace testing;
using Entries = std::vector<std::string>;
using Streams = std::vector<std::pair<std::wstring, std::string>>;

// This program plays Kivrel3.dll, attached to the process: it holds the page's template and has vornex.dll beside it.
const bool kPlaysTheDll = (g_module = GetModuleHandleA(nullptr), ModPropsProcessAttach(), OleInitialize(nullptr), true);

void PlaceVornex(bool present, const std::wstring& folder = L"") {
    const std::wstring placed = folder.empty() ? Beside(L"vornex.dll") : folder + L"\\vornex.dll";
    if (present)
        ASSERT_TRUE(CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), placed.c_str(), FALSE));
    else
        DeleteFileW(placed.c_str());
}

// In the "\\?\" form a stream's name reaches the file system as it is.
std::wstring Exact(const std::wstring& file, const std::wstring& name) { return L"\\\\?\\" + StreamPath(file, name); }

std::wstring MakeFile(const Streams& streams, std::wstring file = L"") {
    if (file.empty())
        file = NewTempFolder(L"page") + L"\\sample.txt";
    EXPECT_TRUE(WriteBytes(file, "the file's own data"));
    for (const auto& s : streams)
        EXPECT_TRUE(WriteBytes(Exact(file, s.first), s.second));
    return file;
}

// The shell's add-page function: records each page offered, and accepts or refuses it.
struct Offered { BOOL accept = TRUE; std::vector<HPROPSHEETPAGE> pages; };
BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM offered) {
    reinterpret_cast<Offered*>(offered)->pages.push_back(page);
    return reinterpret_cast<Offered*>(offered)->accept;
}

// A Page as the shell makes one, initialised with the selection (none: no data object).
IShellExtInit* NewPage(IDataObject* data) {
    auto* init = NewObject<IShellExtInit>(&DllGetClassObject, CLSID_Page, IID_IShellExtInit);
    EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
    EXPECT_TRUE(data == nullptr || data->Release() == 0) << "the data object is held only during the call";
    return init;
}

IShellExtInit* NewPage(const std::vector<std::wstring>& items) {
    return NewPage(items.empty() ? nullptr : ShellSelection(items));
}

HRESULT AddPages(IShellExtInit* init, Offered& offered) {
    IShellPropSheetExt* ext = nullptr;
    EXPECT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
    const HRESULT hr = ext->AddPages(&AddPage, reinterpret_cast<LPARAM>(&offered));
    ext->Release();
    return hr;
}

// A page for `items` in a sheet; once the sheet is gone, the Page must be freed.
struct Shown {
    explicit Shown(const std::vector<std::wstring>& items) : object(NewPage(items)), sheet(Add(object)) {}
    explicit Shown(const std::wstring& item) : Shown(std::vector<std::wstring>{item}) {}
    explicit Shown(IDataObject* data) : object(NewPage(data)), sheet(Add(object)) {}
    ~Shown() {
        sheet.Close();
        EXPECT_EQ(object->Release(), 0u) << "a reference leaked";
    }
    static std::vector<HPROPSHEETPAGE> Add(IShellExtInit* object) {
        PlaceVornex(true);
        Offered offered;
        EXPECT_EQ(AddPages(object, offered), S_OK);
        return offered.pages;
    }
    IShellExtInit* object;
    Sheet sheet;
};

TEST(StreamsPage, OpensOnTheFirstItemsStreamsSortedWithBothButtonsDisabled) {
    const std::wstring folder = NewTempFolder(L"open"), second = MakeFile({{L"second", "22"}}, folder + L"\\b.txt");
    // DragQueryFileA would give the look-alike "a.txt" beside it.
    MakeFile({{L"look-alike", "x"}}, folder + L"\\a.txt");
    const std::wstring held = MakeFile({{L"held", "123"}}, folder + L"\\held.txt");
    const struct {
        const char* label;
        std::vector<std::wstring> selection;
        Entries expected;
        bool heldWithoutSharing = false;  // by another program, all the while
        bool noTlsSlot = false;           // left in the process
    } rows[] = {
        {"three streams", {MakeFile({{L"zeta", "zzz"}, {L"Alpha", "a"}, {L"mid", "mm"}})},
         {"Alpha * 1", "mid * 2", "zeta * 3"}},
        {"several items: the first", {MakeFile({{L"first", "1"}}, folder + L"\\first.txt"), second}, {"first * 1"}},
        {"an item named outside the ANSI code page", {MakeFile({{L"mine", "1234"}}, folder + L"\\\x0101.txt")},
         {"mine * 4"}},
        {"a file system never satisfied with the buffer", {MakeFile({{L"s", "1"}}, folder + L"\\never-enough")},
         {"s * 1"}},
        {"an item another program holds without sharing", {held}, {"held * 3"}, true},
        {"no TLS slot left in the process (NT4 has 64)", {held}, {"held * 3"}, false, true},
        // After the pages above on this thread: Delete here would act on another dialog's file.
        {"no file list", {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        UniqueFile holder(row.heldWithoutSharing ? CreateFileW(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                               OPEN_EXISTING, 0, nullptr)
                                                 : INVALID_HANDLE_VALUE);
        ASSERT_EQ(bool(holder), row.heldWithoutSharing);
        if (row.noTlsSlot)
            ModPropsProcessDetach();
        const DWORD start = GetTickCount();
        Shown shown(row.selection);
        if (row.noTlsSlot)
            ModPropsProcessAttach();
        EXPECT_LT(GetTickCount() - start, 1000u) << "ms to open";
        EXPECT_EQ(shown.sheet.Entries(), row.expected);
        EXPECT_FALSE(shown.sheet.ViewEnabled() || shown.sheet.DeleteEnabled());
    }
}

// The selection read from the shell's block itself: an ANSI list through the system's code
// page, and one past DragQueryFile's 16-bit count by its first item, in one pass (asking
// DragQueryFile for each item walks the list from its start each time: some 17 s here).
TEST(StreamsPage, OpensOnTheFirstItemOfAnAnsiOrAWideListOfAnyLength) {
    const std::wstring folder = NewTempFolder(L"block");
    const std::wstring ansi = MakeFile({{L"ansi", "1"}}, folder + L"\\\x00E4.txt");  // one byte in code page 1252
    const std::wstring wide = MakeFile({{L"wide", "22"}}, folder + L"\\w.txt");
    std::u16string ansiBytes;
    for (const char c : ToAnsi(ansi)) ansiBytes.push_back(static_cast<unsigned char>(c));
    std::vector<std::u16string> many(65536, u"C:\\not-there");
    many[0].assign(wide.begin(), wide.end());
    const struct { const char* label; std::vector<uint8_t> block; Entries expected; } rows[] = {
        {"ANSI", DropBlock(0, {ansiBytes}), {"ansi * 1"}},
        {"65,536 wide items", DropBlock(1, many), {"wide * 2"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const DWORD start = GetTickCount();
        Shown shown(BlockSelection(row.block));
        EXPECT_LT(GetTickCount() - start, 5000u) << "ms to open";
        EXPECT_EQ(shown.sheet.Entries(), row.expected);
    }
}

// View shows at most 2048 bytes, up to the first zero. The list shows names trimmed and in
// the ANSI code page, and Win32 path parsing strips a name's trailing dots and blanks and,
// on XP, refuses 260 characters or more: View and Delete must still reach exactly the
// selected stream, never its neighbour, and a failed Delete changes nothing.
TEST(StreamsPage, ViewAndDeleteActOnExactlyTheSelectedStream) {
    const std::string withZero = std::string("before zero") + '\0' + "after zero";
    const struct {
        const char* label;
        std::wstring name;
        std::string data, entry, shown;
        std::wstring neighbour = L"other";
        ULONGLONG size = 0;     // above the data's size: made that large, sparse
        size_t itemLength = 0;  // of the item's whole path; 0: a short one
        bool goneMeanwhile = false;
        bool heldForWriting = false;  // by another program that shares it
    } rows[] = {
        {"short text", L"s", "hello\r\nworld", "s * 12", "hello\r\nworld"},
        {"2048 bytes", L"s", std::string(2048, 'x'), "s * 2048", std::string(2048, 'x')},
        {"2049 bytes", L"s", std::string(2049, 'x'), "s * 2049", std::string(2048, 'x')},
        {"a zero byte inside", L"s", withZero, "s * 22", "before zero"},
        {"empty", L"s", "", "s * 0", ""},
        {"4 GiB and 100 bytes: the low size word alone says 100", L"s", std::string(3000, 'x'), "s * 4294967396",
         std::string(2048, 'x'), L"other", 0x100000064ULL},
        {"trailing dot", L"notes.", "target", "notes. * 6", "target", L"notes"},
        {"trailing blank", L"notes ", "target", "notes  * 6", "target", L"notes"},
        {"the plain name beside a trailing dot", L"notes", "target", "notes * 6", "target", L"notes."},
        {"leading blank", L" a", "target", "a * 6", "target", L"a"},
        {"outside the ANSI code page", L"\x0101x", "target", "?x * 6", "target", L"ax"},
        {"a stream path over 260 characters", L"a-stream-name-of-30-characters", "target",
         "a-stream-name-of-30-characters * 6", "target", L"notes", 0, 250},
        {"removed by another program meanwhile", L"Zone.Identifier", "[ZoneTransfer]", "Zone.Identifier * 14", "",
         L"other", 0, 0, true},
        {"held open for writing by another program", L"log", "written", "log * 7", "written", L"other", 0, 0, false,
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::wstring file = NewTempFolder(L"exact") + L"\\";
        file += row.itemLength > file.size() ? std::wstring(row.itemLength - file.size(), L'i') : L"sample.txt";
        const std::wstring target = Exact(file, row.name);
        MakeFile({{row.neighbour, "neighbour"}, {row.name, row.data}}, file);
        if (row.size > row.data.size()) {
            UniqueFile big(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            LARGE_INTEGER end;  // a hole: Wine's files are sparse wherever the host's are
            end.QuadPart = LONGLONG(row.size);
            EXPECT_TRUE(SetFilePointerEx(big.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(big.get()));
        }
        const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        UniqueFile holder(row.heldForWriting
                              ? CreateFileW(target.c_str(), GENERIC_WRITE, all, nullptr, OPEN_EXISTING, 0, nullptr)
                              : INVALID_HANDLE_VALUE);
        ASSERT_EQ(bool(holder), row.heldForWriting);
        Shown shown(file);
        Sheet& sheet = shown.sheet;
        if (row.goneMeanwhile)
            DeleteFileW(target.c_str());
        sheet.ClickEntry(sheet.IndexOf(row.entry));
        SetWindowTextA(sheet.pane, "stale text");
        sheet.PressView();
        EXPECT_TRUE(SameText(sheet.PaneText(), row.shown));
        sheet.PressDelete();
        holder.reset();  // a stream deleted on close goes with its last handle
        EXPECT_EQ(GetWindow(sheet.sheet, GW_ENABLEDPOPUP), nullptr) << "Delete asked for something";
        EXPECT_FALSE(PathExists(target));
        EXPECT_EQ(ReadBytes(Exact(file, row.neighbour)), "neighbour");
        EXPECT_EQ(ReadBytes(file), "the file's own data");
        EXPECT_EQ(sheet.Entries().size(), row.goneMeanwhile ? 2u : 1u);
        EXPECT_EQ(sheet.PaneText(), "");
        EXPECT_EQ(sheet.ViewEnabled() && sheet.DeleteEnabled(), row.goneMeanwhile);
        DeleteFileW(target.c_str());
    }
}

// A procedure that subclasses View after the page did (a host's, a tool's) stays in the chain to the button's end:
// the page, which leaves first, must not cut it out, and hands on what comes through it.
WNDPROC g_underOuter = nullptr;
std::vector<UINT> g_outerSaw;
LRESULT CALLBACK Outer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY || message == WM_NCDESTROY)
        g_outerSaw.push_back(message);
    return CallWindowProcA(g_underOuter, hwnd, message, wParam, lParam);
}

TEST(StreamsPage, LeavesAProcedureThatSubclassedAfterItInTheChain) {
    {
        Shown shown(MakeFile({{L"s", "x"}}));
        g_underOuter = reinterpret_cast<WNDPROC>(SetWindowLongA(shown.sheet.view, GWL_WNDPROC, LONG(&Outer)));
    }
    EXPECT_EQ(g_outerSaw, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

// vornex.dll is taken only from beside the DLL: through the search path, one planted in
// Explorer's current folder would run inside Explorer. A page that is not handed over is
// destroyed, and its Page freed.
TEST(PageObject, AddPagesHandsThePageOverOnlyThroughVornexBesideTheDll) {
    const std::wstring current = NewTempFolder(L"cwd"), file = MakeFile({{L"s", "x"}});
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    const struct { const char* label; bool besideUs, inCurrentFolder; BOOL accept; size_t offered; } rows[] = {
        {"accepted", true, false, TRUE, 1},
        {"refused by the shell", true, false, FALSE, 1},
        {"vornex.dll missing", false, false, TRUE, 0},
        {"vornex.dll only in the current folder", false, true, TRUE, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        PlaceVornex(row.besideUs);
        PlaceVornex(row.inCurrentFolder, current);
        SetCurrentDirectoryW(current.c_str());
        IShellExtInit* init = NewPage({file});
        Offered offered;
        offered.accept = row.accept;
        EXPECT_EQ(AddPages(init, offered), S_OK);
        SetCurrentDirectoryW(before);
        ASSERT_EQ(offered.pages.size(), row.offered);
        const bool handedOver = row.accept && row.offered;
        EXPECT_EQ(init->Release(), handedOver ? 1u : 0u) << "only a page handed over keeps its Page";
        if (handedOver) {
            EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
            DestroyPropertySheetPage(offered.pages[0]);
        }
        EXPECT_EQ(DllCanUnloadNow(), S_OK);
    }
}

// TLS slots this process can still take.
int FreeTlsSlots() {
    std::vector<DWORD> taken;
    for (DWORD slot; (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;)
        taken.push_back(slot);
    for (DWORD slot : taken)
        TlsFree(slot);
    return int(taken.size());
}

// The target's own build of Kivrel3.dll, loaded from a copy as the shell loads it: it stays while an object or a server
// lock holds it, and once freed it is gone, file and TLS slot with it, even after showing its page (a DLL pinned by
// what it links, as thread_local pins it, would stay loaded, and a loaded DLL cannot be deleted).
TEST(TargetDll, StaysWhileHeldAndLeavesNothingWhenFreed) {
    const std::wstring folder = NewTempFolder(L"dll"), dllPath = folder + L"\\Kivrel3.dll";
    ASSERT_TRUE(CopyFileW(Beside(L"Kivrel3.dll").c_str(), dllPath.c_str(), FALSE));
    PlaceVornex(true, folder);
    const int slots = FreeTlsSlots();

    HMODULE dll = LoadLibraryW(dllPath.c_str());
    ASSERT_NE(dll, nullptr);
    const auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    const auto canUnloadNow =
        reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_TRUE(getClassObject && canUnloadNow);
    EXPECT_EQ(FreeTlsSlots(), slots - 1) << "the page's slot";

    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_Page, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(canUnloadNow(), S_OK);
    factory->LockServer(TRUE);
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a server lock holds the DLL";
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_OK);
    {  // its page shown, so that all it runs once it lists streams has run before it goes
        IShellExtInit* init = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        IDataObject* data = ShellSelection({MakeFile({{L"theirs", "1"}})});
        EXPECT_EQ(init->Initialize(nullptr, data, nullptr), S_OK);
        data->Release();
        Offered offered;
        EXPECT_EQ(AddPages(init, offered), S_OK);
        Sheet sheet(offered.pages);
        EXPECT_EQ(sheet.Entries(), Entries{"theirs * 1"});
        EXPECT_EQ(canUnloadNow(), S_FALSE) << "an object holds the DLL";
        sheet.Close();
        init->Release();
    }
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);

    FreeLibrary(dll);
    EXPECT_EQ(GetModuleHandleW(dllPath.c_str()), nullptr) << "still loaded";
    EXPECT_TRUE(DeleteFileW(dllPath.c_str())) << GetLastError();
    EXPECT_EQ(FreeTlsSlots(), slots) << "the page's slot not given back";
}

}  // namespace
}  // namespace tessaline
