// The Streams page as a user meets it. This program is built as Kivrel3.dll is, over the
// version facts of Windows XP, streams emulated as sibling files "file:stream" and XP's
// path limit; its Pages come from the class factory as the shell gets them, and their pages
// are shown in a real property sheet and pressed with the mouse.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "EmulatedStreamQuery.h"
#include "ModProps.h"
#include "Page.h"
#include "PageHarness.h"
#include "Server.h"
#include "TestDataObject.h"
#include "TestFiles.h"

// This program's operator new, which Kivrel3's code here uses too: counted, so that an unload
// shows what it frees, and refused on demand, as out of memory.
LONG g_live = 0;
LONG g_refused = 0;
struct Refused {
    Refused() { InterlockedExchange(&g_refused, 1); }
    ~Refused() { InterlockedExchange(&g_refused, 0); }
};
void* operator new(std::size_t size) {
    void* p = InterlockedCompareExchange(&g_refused, 0, 0) != 0 ? nullptr : std::malloc(size != 0 ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    InterlockedIncrement(&g_live);
    return p;
}
void operator delete(void* p) noexcept {
    if (p != nullptr)
        InterlockedDecrement(&g_live);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace tessaline {
namespace {

using testing::NewTempFolder;
using testing::PathExists;
using testing::ReadBytes;
using testing::Sheet;
using testing::StreamPath;
using testing::WriteBytes;
using Entries = std::vector<std::string>;
using Streams = std::vector<std::pair<std::wstring, std::string>>;

// This program plays Kivrel3.dll: its module holds the page's template, and vornex.dll is
// taken from beside it.
const bool kPlaysTheDll = (g_module = GetModuleHandleA(nullptr), true);

void PlaceVornex(bool present, const std::wstring& folder = testing::BuiltFile(L"tests\\wine\\page")) {
    if (present)
        ASSERT_TRUE(CopyFileW(testing::BuiltFile(L"vornex\\vornex.dll").c_str(), (folder + L"\\vornex.dll").c_str(), FALSE));
    else
        DeleteFileW((folder + L"\\vornex.dll").c_str());
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

std::string Pattern(size_t n) {
    std::string text;
    while (text.size() < n)
        text += "line " + std::to_string(text.size()) + "\r\n";
    return text.substr(0, n);
}

// The shell's add-page function: keeps what it is given, or refuses.
struct AddPageLog {
    BOOL answer = TRUE;
    int calls = 0;
    std::vector<HPROPSHEETPAGE> pages;
};
BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM lParam) {
    auto* log = reinterpret_cast<AddPageLog*>(lParam);
    ++log->calls;
    if (log->answer)
        log->pages.push_back(page);
    return log->answer;
}

// A Page as the shell makes one: class object, instance, Initialize with the selection
// (none: a data object without a file list).
IShellExtInit* NewPage(const std::vector<std::wstring>& items) {
    IClassFactory* factory = nullptr;
    EXPECT_EQ(DllGetClassObject(CLSID_Page, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IShellExtInit* init = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    factory->Release();
    testing::TestDataObject data = items.empty() ? testing::TestDataObject() : testing::TestDataObject(items, true);
    EXPECT_EQ(init->Initialize(nullptr, &data, nullptr), S_OK);
    EXPECT_EQ(data.refs(), 1) << "the data object is held only during the call";
    return init;
}

HRESULT AddPages(IShellExtInit* init, AddPageLog& log) {
    IShellPropSheetExt* ext = nullptr;
    EXPECT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
    const HRESULT hr = ext->AddPages(&AddPage, reinterpret_cast<LPARAM>(&log));
    ext->Release();
    return hr;
}

// One page per selection, each from a Page of its own, shown in one sheet. Once the sheet
// is gone, the shell's release must free each Page.
struct Shown {
    explicit Shown(const std::vector<std::vector<std::wstring>>& selections) : sheet(AddAll(selections)) {}
    explicit Shown(const std::wstring& item) : Shown(std::vector<std::vector<std::wstring>>{{item}}) {}
    ~Shown() {
        sheet.Close();
        for (IShellExtInit* object : objects)
            EXPECT_EQ(object->Release(), 0u) << "a reference leaked";
    }
    std::vector<HPROPSHEETPAGE> AddAll(const std::vector<std::vector<std::wstring>>& selections) {
        PlaceVornex(true);
        AddPageLog log;
        for (const auto& items : selections) {
            objects.push_back(NewPage(items));
            EXPECT_EQ(AddPages(objects.back(), log), S_OK);
        }
        EXPECT_EQ(log.pages.size(), selections.size());
        return log.pages;
    }
    std::vector<IShellExtInit*> objects;
    Sheet sheet;
};

TEST(StreamsPage, OpensOnTheFirstItemsStreamsSortedWithBothButtonsDisabled) {
    std::vector<std::pair<std::wstring, std::string>> many;
    Entries manyShown;
    for (int i = 1000; i < 1150; ++i) {  // records of over 4096 bytes
        many.push_back({L"stream-number-" + std::to_wstring(i), "x"});
        manyShown.push_back("stream-number-" + std::to_string(i) + " * 1");
    }
    const struct {
        const char* label;
        std::function<std::vector<std::wstring>()> selection;
        Entries expected;
    } rows[] = {
        {"three streams", [] { return std::vector<std::wstring>{MakeFile({{L"zeta", "zzz"}, {L"Alpha", "a"}, {L"mid", "mm"}})}; },
         {"Alpha * 1", "mid * 2", "zeta * 3"}},
        {"default stream only", [] { return std::vector<std::wstring>{MakeFile({})}; }, {}},
        {"a folder",
         [] {
             const std::wstring folder = NewTempFolder(L"folder");
             EXPECT_TRUE(WriteBytes(StreamPath(folder, L"folder-notes"), "abc"));
             return std::vector<std::wstring>{folder};
         },
         {"folder-notes * 3"}},
        {"several items: the first",
         [] { return std::vector<std::wstring>{MakeFile({{L"first", "1"}}), MakeFile({{L"second", "22"}})}; },
         {"first * 1"}},
        // DragQueryFileA would give the look-alike "a.txt" beside it.
        {"an item named outside the ANSI code page",
         [] {
             const std::wstring folder = NewTempFolder(L"names");
             MakeFile({{L"look-alike", "x"}}, folder + L"\\a.txt");
             return std::vector<std::wstring>{MakeFile({{L"mine", "1234"}}, folder + L"\\\x0101.txt")};
         },
         {"mine * 4"}},
        {"150 streams", [&] { return std::vector<std::wstring>{MakeFile(many)}; }, manyShown},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Shown shown(std::vector<std::vector<std::wstring>>{row.selection()});
        EXPECT_EQ(shown.sheet.TabTitles(), Entries{"Streams"});
        EXPECT_EQ(shown.sheet.Entries(), row.expected);
        EXPECT_FALSE(shown.sheet.ViewEnabled());
        EXPECT_FALSE(shown.sheet.DeleteEnabled());
    }
}

TEST(StreamsPage, ViewShowsAtMost2048BytesUpToTheFirstZero) {
    const std::string withZero = std::string("before zero") + '\0' + "after zero";
    const struct {
        const char* label;
        std::string content;
        ULONGLONG size;  // made larger, sparse, when above the content's size
        std::string shown;
    } rows[] = {
        {"short text", "hello\r\nworld", 0, "hello\r\nworld"},
        {"2048 bytes", Pattern(2048), 0, Pattern(2048)},
        {"2049 bytes", Pattern(2049), 0, Pattern(2048)},
        {"a zero byte inside", withZero, 0, "before zero"},
        {"empty", "", 0, ""},
        // Its low size word alone says 100 bytes.
        {"4 GiB and 100 bytes", Pattern(3000), 0x100000064ULL, Pattern(2048)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::wstring file = MakeFile({{L"s", row.content}});
        struct Removed {
            std::wstring path;
            ~Removed() { DeleteFileW(path.c_str()); }
        } removed{StreamPath(file, L"s")};
        if (row.size > row.content.size()) {
            HANDLE big = CreateFileW(removed.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(big, INVALID_HANDLE_VALUE);
            DWORD unused = 0;
            DeviceIoControl(big, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(row.size);
            EXPECT_TRUE(SetFilePointerEx(big, end, nullptr, FILE_BEGIN) && SetEndOfFile(big));
            CloseHandle(big);
        }
        Shown shown(file);
        const ULONGLONG size = row.size > row.content.size() ? row.size : row.content.size();
        EXPECT_EQ(shown.sheet.Entries(), Entries{"s * " + std::to_string(size)});
        shown.sheet.ClickEntry(0);
        SetWindowTextA(shown.sheet.pane, "stale text");
        shown.sheet.PressView();
        EXPECT_EQ(shown.sheet.PaneText(), row.shown);
    }
}

TEST(StreamsPage, DeleteRemovesTheStreamAtOnceOrChangesNothing) {
    for (bool goneMeanwhile : {false, true}) {
        SCOPED_TRACE(goneMeanwhile ? "removed by another program meanwhile" : "deleted");
        const std::wstring file = MakeFile({{L"Zone.Identifier", "[ZoneTransfer]"}, {L"other", "stays"}});
        Shown shown(file);
        Sheet& sheet = shown.sheet;
        if (goneMeanwhile) {
            ASSERT_TRUE(DeleteFileW(StreamPath(file, L"Zone.Identifier").c_str()));
        }
        sheet.ClickEntry(sheet.IndexOf("Zone.Identifier * 14"));
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), goneMeanwhile ? "" : "[ZoneTransfer]");
        sheet.PressDelete();  // no confirmation is asked
        EXPECT_EQ(GetWindow(sheet.sheet, GW_ENABLEDPOPUP), nullptr) << "a window asked for something";
        EXPECT_FALSE(PathExists(StreamPath(file, L"Zone.Identifier")));
        EXPECT_EQ(ReadBytes(StreamPath(file, L"other")), "stays");
        EXPECT_EQ(ReadBytes(file), "the file's own data");
        EXPECT_EQ(sheet.Entries(), goneMeanwhile ? (Entries{"other * 5", "Zone.Identifier * 14"}) : Entries{"other * 5"});
        EXPECT_EQ(sheet.Selection(), goneMeanwhile ? 1 : -1);
        EXPECT_EQ(sheet.PaneText(), "");
        EXPECT_EQ(sheet.ViewEnabled(), goneMeanwhile);
        EXPECT_EQ(sheet.DeleteEnabled(), goneMeanwhile);
    }
}

// The list shows names trimmed and in the ANSI code page, and Win32 path parsing strips a
// name's trailing dots and blanks and, on XP, refuses 260 characters or more: View and
// Delete must still reach exactly the selected stream, and never its look-alike.
TEST(StreamsPage, ViewAndDeleteActOnExactlyTheSelectedStream) {
    const struct {
        const char* label;
        size_t itemLength;  // of the item's whole path; 0: a short one
        std::wstring target, neighbour;
        std::string entry;
        bool phantom;  // Wine cannot keep "*" in a file name: listed with nothing behind it
    } rows[] = {
        {"trailing dot", 0, L"notes.", L"notes", "notes. * 6", false},
        {"trailing blank", 0, L"notes ", L"notes", "notes  * 6", false},
        {"the plain name beside a trailing dot", 0, L"notes", L"notes.", "notes * 6", false},
        {"leading blank", 0, L" a", L"a", "a * 6", false},
        {"outside the ANSI code page", 0, L"\x0101x", L"ax", "?x * 6", false},
        {"stream path over 260 characters", 250, L"a-stream-name-of-30-characters", L"notes",
         "a-stream-name-of-30-characters * 6", false},
        {"asterisk", 0, L"a*b", L"a", "a*b * 6", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::wstring file = NewTempFolder(L"exact") + L"\\";
        file += row.itemLength > file.size() ? std::wstring(row.itemLength - file.size(), L'i') : L"sample.txt";
        MakeFile({{row.neighbour, "neighbour"}}, file);
        if (row.phantom)
            testing::PhantomStreams().push_back({file, row.target, 6});
        else
            ASSERT_TRUE(WriteBytes(Exact(file, row.target), "target"));
        Shown shown(file);
        testing::PhantomStreams().clear();
        Sheet& sheet = shown.sheet;
        sheet.ClickEntry(sheet.IndexOf(row.entry));
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), row.phantom ? "" : "target");
        sheet.PressDelete();
        EXPECT_FALSE(PathExists(Exact(file, row.target)));
        EXPECT_EQ(ReadBytes(Exact(file, row.neighbour)), "neighbour");
        EXPECT_EQ(ReadBytes(file), "the file's own data");
        EXPECT_EQ(sheet.Entries().size(), row.phantom ? 2u : 1u);
    }
}

// A list control that refuses the item data of its second entry.
LRESULT CALLBACK RefusingList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    static int calls = 0;
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(list, "previous"));
    if (message == LB_SETITEMDATA && ++calls == 2)
        return LB_ERR;
    return CallWindowProcA(previous, list, message, wParam, lParam);
}

TEST(StreamsPage, AnEntryWhoseItemDataIsRefusedIsNotListed) {
    const std::wstring file = MakeFile({{L"a", "1"}, {L"b", "22"}, {L"c", "333"}});
    HWND list = CreateWindowA("LISTBOX", "", LBS_SORT, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    SetPropA(list, "previous",
             reinterpret_cast<HANDLE>(SetWindowLongA(list, GWL_WNDPROC, reinterpret_cast<LONG>(&RefusingList))));
    PageState state;
    state.hStreamList = list;
    FillStreamList(state, file);
    // Every entry left names its own stream: "b" would otherwise carry item data 0, "a".
    Entries named;
    for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
        const LRESULT id = SendMessageA(list, LB_GETITEMDATA, i, 0);
        ASSERT_LT(static_cast<size_t>(id), state.streamNames.size());
        named.push_back(std::string(state.streamNames[id].begin(), state.streamNames[id].end()));
    }
    EXPECT_EQ(named, (Entries{"a", "c"}));
    DestroyWindow(list);
}

// No exception may reach the window manager or the shell.
TEST(StreamsPage, OutOfMemoryInAWindowProcedureLeavesThePageAsItWas) {
    const std::wstring file = MakeFile({{L"kept", "still here"}});
    Shown shown(file);
    Sheet& sheet = shown.sheet;
    sheet.ClickEntry(0);
    SetWindowTextA(sheet.pane, "as it was");
    {
        Refused refused;
        sheet.PressView();
        sheet.PressDelete();
    }
    EXPECT_EQ(sheet.PaneText(), "as it was");
    EXPECT_TRUE(PathExists(StreamPath(file, L"kept")));
    EXPECT_EQ(sheet.Entries(), Entries{"kept * 10"});
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "still here");
}

TEST(PageObject, OutOfMemoryInAMethodIsAnErrorNotAnException) {
    PlaceVornex(true);
    const std::wstring file = MakeFile({{L"s", "x"}});
    IShellExtInit* init = NewPage({file});
    _Page* page = nullptr;
    ASSERT_EQ(init->QueryInterface(IID__Page, reinterpret_cast<void**>(&page)), S_OK);
    testing::TestDataObject data({file}, true);
    AddPageLog log;
    const struct {
        const char* label;
        std::function<HRESULT()> call;
    } rows[] = {
        {"Initialize", [&] { return init->Initialize(nullptr, &data, nullptr); }},
        {"AddPages", [&] { return AddPages(init, log); }},
        {"SelectedFile", [&] { BSTR text = nullptr; return page->get_SelectedFile(&text); }},
    };
    for (const auto& row : rows) {
        HRESULT hr = S_OK;
        {
            Refused refused;
            hr = row.call();
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY) << row.label;
    }
    EXPECT_EQ(log.calls, 0);
    page->Release();
    EXPECT_EQ(init->Release(), 0u) << "a reference was taken for a page that was never made";
}

// vornex.dll is taken only from beside the DLL: through the search path, one planted in
// Explorer's current folder would run inside Explorer. A page that is not handed over is
// destroyed, and its Page freed.
TEST(PageObject, AddPagesHandsThePageOverOnlyThroughVornexBesideTheDll) {
    const std::wstring current = NewTempFolder(L"cwd");
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    const struct {
        const char* label;
        bool besideUs, inCurrentFolder;
        BOOL answer;
        int calls;
    } rows[] = {
        {"accepted", true, false, TRUE, 1},
        {"refused by the shell", true, false, FALSE, 1},
        {"vornex.dll missing", false, false, TRUE, 0},
        {"vornex.dll only in the current folder", false, true, TRUE, 0},
    };
    const std::wstring file = MakeFile({{L"s", "x"}});
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        PlaceVornex(row.besideUs);
        PlaceVornex(row.inCurrentFolder, current);
        SetCurrentDirectoryW(current.c_str());
        IShellExtInit* init = NewPage({file});
        AddPageLog log;
        log.answer = row.answer;
        EXPECT_EQ(AddPages(init, log), S_OK);
        SetCurrentDirectoryW(before);
        EXPECT_EQ(log.calls, row.calls);
        EXPECT_EQ(init->Release(), log.pages.size()) << "only a page handed over keeps its Page";
        if (!log.pages.empty()) {
            EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
            DestroyPropertySheetPage(log.pages[0]);
        }
        EXPECT_EQ(DllCanUnloadNow(), S_OK);
    }
}

// The shell's own dialog shows two of our pages on one thread for a folder.
TEST(StreamsPage, TwoPagesOnOneThreadEachActOnTheirOwnSelection) {
    const std::wstring file = MakeFile({{L"a", "stream a"}, {L"b", "stream b"}});
    Shown shown(std::vector<std::vector<std::wstring>>{{file}, {file}});
    testing::ExpectEachPageActsOnItsOwnSelection(shown.sheet, file, 0, 1);
}

TEST(StreamsPage, LaterPagesOnOneThreadAreWiredAfreshAndShowOnlyTheirOwnItem) {
    {
        Shown shown(MakeFile({{L"earlier", "from the first dialog"}}));
        shown.sheet.ClickEntry(0);
        shown.sheet.PressView();
        EXPECT_EQ(shown.sheet.PaneText(), "from the first dialog");
    }
    EXPECT_EQ(ModProps().oPage, nullptr);
    EXPECT_TRUE(ModProps().pages.empty());
    {
        Shown nothingSelected(std::vector<std::vector<std::wstring>>{{}});
        EXPECT_EQ(nothingSelected.sheet.Entries(), Entries{}) << "Delete here would act on another dialog's file";
    }
    const std::wstring second = MakeFile({{L"second", "two"}});
    Shown shown(second);
    Sheet& sheet = shown.sheet;
    sheet.ClickEntry(0);
    EXPECT_TRUE(sheet.ViewEnabled()) << "the list was left unsubclassed";
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "two");
    sheet.PressDelete();
    EXPECT_FALSE(PathExists(StreamPath(second, L"second")));
}

// A page opened on another thread does not take over this thread's controls or file.
TEST(StreamsPage, PagesOnTwoThreadsKeepTheirOwnState) {
    struct Other {
        std::wstring file = MakeFile({{L"theirs", "other thread"}});
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE proceed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::string pane;
        Entries entries;
        static DWORD WINAPI Run(void* self) {
            auto* t = static_cast<Other*>(self);
            {
                Shown shown(t->file);
                SetEvent(t->opened);
                testing::PumpUntil(t->proceed);
                shown.sheet.ClickEntry(0);
                shown.sheet.PressView();
                t->pane = shown.sheet.PaneText();
                t->entries = shown.sheet.Entries();
            }
            ModPropsThreadDetach();
            return 0;
        }
    } other;
    const std::wstring mine = MakeFile({{L"mine", "this thread"}});
    Shown shown(mine);
    HANDLE thread = CreateThread(nullptr, 0, &Other::Run, &other, 0, nullptr);
    ASSERT_TRUE(testing::PumpUntil(other.opened));
    shown.sheet.ClickEntry(0);
    shown.sheet.PressView();
    EXPECT_EQ(shown.sheet.PaneText(), "this thread");
    SetEvent(other.proceed);
    EXPECT_TRUE(testing::PumpUntil(thread));
    CloseHandle(thread);
    EXPECT_EQ(other.entries, Entries{"theirs * 12"});
    EXPECT_EQ(other.pane, "other thread");
    shown.sheet.PressDelete();
    EXPECT_FALSE(PathExists(StreamPath(mine, L"mine")));
    EXPECT_TRUE(PathExists(StreamPath(other.file, L"theirs")));
}

// An unload frees the page state of every thread, not only of the thread that unloads.
TEST(StreamsPage, UnloadFreesEveryThreadsState) {
    struct Worker {
        std::wstring file = MakeFile({{L"s", "x"}});
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI Run(void* self) {
            auto* w = static_cast<Worker*>(self);
            { Shown shown(w->file); }
            SetEvent(w->done);
            WaitForSingleObject(w->finish, INFINITE);  // still running at the unload
            return 0;
        }
    } worker;
    ModPropsThreadDetach();  // this thread keeps nothing
    HANDLE thread = CreateThread(nullptr, 0, &Worker::Run, &worker, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(worker.done, 10000), WAIT_OBJECT_0);
    const LONG before = InterlockedCompareExchange(&g_live, 0, 0);
    ModPropsProcessDetach();
    EXPECT_LT(g_live, before) << "the other thread's state was left behind";
    SetEvent(worker.finish);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

}  // namespace
}  // namespace tessaline
