// The Streams page as a user meets it: a real property sheet, real controls, mouse and
// key messages, over streams the rig emulates as sibling files "file:stream".
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Allocations.h"
#include "EmulatedStreamQuery.h"
#include "Page.h"
#include "TestDataObject.h"
#include "ModProps.h"
#include "PageHarness.h"
#include "TestFiles.h"

namespace tessaline {
namespace {

using testing::FakePage;
using testing::NewTempFolder;
using testing::PathExists;
using testing::PhantomStreams;
using testing::ReadBytes;
using testing::Sheet;
using testing::StreamPath;
using testing::WriteBytes;

using Entries = std::vector<std::string>;

// A file with the given streams (name, content) in a folder of its own.
std::wstring MakeFile(const std::vector<std::pair<std::wstring, std::string>>& streams) {
    const std::wstring file = NewTempFolder(L"page") + L"\\sample.txt";
    EXPECT_TRUE(WriteBytes(file, "the file's own data"));
    for (const auto& s : streams)
        EXPECT_TRUE(WriteBytes(StreamPath(file, s.first), s.second));
    return file;
}

// A stream made in the "\\?\" form, so that its name reaches the file system as it is.
std::wstring ExactStream(const std::wstring& file, const std::wstring& name) {
    return L"\\\\?\\" + StreamPath(file, name);
}

std::string Pattern(size_t n) {
    std::string text;
    for (size_t i = 0; text.size() < n; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    text.resize(n);
    return text;
}

TEST(StreamsPage, OpensWithSortedEntriesAndBothButtonsDisabled) {
    for (bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "no streams" : "three streams");
        const std::wstring file = empty ? MakeFile({}) : MakeFile({{L"zeta", "zzz"}, {L"Alpha", "a"}, {L"mid", "mm"}});
        FakePage object(file);
        Sheet sheet(object);
        EXPECT_EQ(object.selectedFileCalls, 1);
        EXPECT_EQ(sheet.Entries(), empty ? Entries{} : (Entries{"Alpha * 1", "mid * 2", "zeta * 3"}));
        EXPECT_FALSE(sheet.ViewEnabled());
        EXPECT_FALSE(sheet.DeleteEnabled());
        EXPECT_EQ(sheet.PaneText(), "");
    }
}

TEST(StreamsPage, AReleaseInTheListSetsTheButtonsByTheSelectionAndEmptiesThePane) {
    const std::wstring file = MakeFile({{L"one", "first"}, {L"two", "second"}});
    FakePage object(file);
    Sheet sheet(object);

    sheet.ClickEntry(0);
    EXPECT_EQ(sheet.Selection(), 0);
    EXPECT_TRUE(sheet.ViewEnabled());
    EXPECT_TRUE(sheet.DeleteEnabled());

    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "first");
    sheet.ClickEntry(0);  // same entry again: the pane is still emptied
    EXPECT_EQ(sheet.PaneText(), "");
    EXPECT_TRUE(sheet.ViewEnabled());

    // Nothing selected, then a release over the empty part of the list.
    SendMessageA(sheet.list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    sheet.PressView();  // the button is still enabled, but there is no selection
    EXPECT_EQ(sheet.PaneText(), "");
    sheet.ClickBelowEntries();
    EXPECT_EQ(sheet.Selection(), -1);
    EXPECT_FALSE(sheet.ViewEnabled());
    EXPECT_FALSE(sheet.DeleteEnabled());
}

TEST(StreamsPage, KeyboardSelectionChangesNeitherButtonsNorPane) {
    const std::wstring file = MakeFile({{L"a", "aaa"}, {L"b", "bbb"}});
    FakePage object(file);
    Sheet sheet(object);

    sheet.Key(sheet.list, VK_DOWN);  // selects an entry without the mouse
    EXPECT_NE(sheet.Selection(), -1);
    EXPECT_FALSE(sheet.ViewEnabled());

    sheet.ClickEntry(0);
    sheet.PressView();
    ASSERT_EQ(sheet.PaneText(), "aaa");
    sheet.Key(sheet.list, VK_DOWN);
    EXPECT_EQ(sheet.Selection(), 1);
    EXPECT_TRUE(sheet.ViewEnabled());
    EXPECT_EQ(sheet.PaneText(), "aaa");
}

TEST(StreamsPage, SpaceOnAFocusedButtonDoesNothing) {
    const std::wstring file = MakeFile({{L"keep", "still here"}});
    FakePage object(file);
    Sheet sheet(object);
    sheet.ClickEntry(0);
    sheet.Key(sheet.view, VK_SPACE);
    EXPECT_EQ(sheet.PaneText(), "");
    sheet.Key(sheet.del, VK_SPACE);
    EXPECT_TRUE(PathExists(StreamPath(file, L"keep")));
    EXPECT_EQ(sheet.Entries(), Entries{"keep * 10"});
}

TEST(StreamsPage, ViewShowsTheStreamsFirstBytes) {
    std::string withZero = "before zero";
    withZero += '\0';
    withZero += "after zero";
    const struct {
        const char* label;
        std::string content;
        std::string shown;
    } cases[] = {
        {"short text", "hello\r\nworld", "hello\r\nworld"},
        {"longer than 2048 bytes", Pattern(5000), Pattern(2048)},
        {"exactly 2048 bytes, no zero", Pattern(2048), Pattern(2048)},
        {"2049 bytes, no zero", Pattern(2049), Pattern(2048)},
        {"zero byte inside", withZero, "before zero"},
        {"zero bytes long", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring file = MakeFile({{L"s", c.content}});
        FakePage object(file);
        Sheet sheet(object);
        sheet.ClickEntry(0);
        SetWindowTextA(sheet.pane, "stale text");
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), c.shown);
        sheet.PressView();  // replaced, not appended
        EXPECT_EQ(sheet.PaneText(), c.shown);
    }
}

TEST(StreamsPage, ViewOfAStreamOver4GiBShowsItsFirstBytes) {
    const std::wstring file = MakeFile({{L"big", "HEAD"}});
    {
        // Sparse on the host's file system: 5 GiB that take no room.
        HANDLE big = CreateFileW(StreamPath(file, L"big").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(big, INVALID_HANDLE_VALUE);
        LONG high = 1;
        SetFilePointer(big, 0x40000000, &high, FILE_BEGIN);
        ASSERT_TRUE(SetEndOfFile(big));
        CloseHandle(big);
    }
    FakePage object(file);
    Sheet sheet(object);
    EXPECT_EQ(sheet.Entries(), Entries{"big * 5368709120"});
    sheet.ClickEntry(0);
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "HEAD");
}

TEST(StreamsPage, DeleteRemovesTheStreamAtOnce) {
    const std::wstring file = MakeFile({{L"Zone.Identifier", "[ZoneTransfer]"}, {L"other", "stays"}});
    FakePage object(file);
    Sheet sheet(object);
    sheet.ClickEntry(sheet.IndexOf("Zone.Identifier * 14"));
    sheet.PressView();
    ASSERT_EQ(sheet.PaneText(), "[ZoneTransfer]");

    sheet.PressDelete();  // no confirmation is asked
    EXPECT_FALSE(PathExists(StreamPath(file, L"Zone.Identifier")));
    EXPECT_TRUE(PathExists(StreamPath(file, L"other")));
    EXPECT_EQ(ReadBytes(file), "the file's own data");
    EXPECT_EQ(sheet.Entries(), Entries{"other * 5"});
    EXPECT_EQ(sheet.Selection(), -1);
    EXPECT_EQ(sheet.PaneText(), "");
    EXPECT_FALSE(sheet.ViewEnabled());
    EXPECT_FALSE(sheet.DeleteEnabled());
    EXPECT_EQ(GetWindow(sheet.sheet, GW_ENABLEDPOPUP), nullptr) << "a window asked for something";
}

TEST(StreamsPage, DeleteOfAStreamGoneMeanwhileChangesNothing) {
    const std::wstring file = MakeFile({{L"gone", "x"}});
    FakePage object(file);
    Sheet sheet(object);
    ASSERT_TRUE(DeleteFileW(StreamPath(file, L"gone").c_str()));
    sheet.ClickEntry(0);
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "");
    sheet.PressDelete();
    EXPECT_EQ(sheet.Entries(), Entries{"gone * 1"});
    EXPECT_EQ(sheet.Selection(), 0);
    EXPECT_TRUE(sheet.DeleteEnabled());
}

// The shown text is trimmed, cut nowhere and code-page converted; View and Delete must
// still act on exactly the stream behind the selected entry.
TEST(StreamsPage, ViewAndDeleteActOnExactlyTheSelectedStream) {
    struct Case {
        const char* label;
        std::wstring target;    // the stream selected
        std::string content;
        std::string entry;      // how the list shows it
        std::wstring neighbour; // a stream whose name looks the same once trimmed/converted
        std::string neighbourContent;
    };
    const Case cases[] = {
        {"leading blank", L" a", "blank-a", "a * 7", L"a", "plain"},
        {"several leading blanks", L"   lead", "three blanks", "lead * 12", L"lead", "x"},
        {"outside the ANSI code page", L"\x0101x", "macron", "?x * 6", L"ax", "plain-a"},
        {"CJK name", L"\x4E2D", "cjk", "? * 3", L"x", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::wstring file = MakeFile({{c.target, c.content}, {c.neighbour, c.neighbourContent}});
        FakePage object(file);
        Sheet sheet(object);
        const int index = sheet.IndexOf(c.entry);
        ASSERT_GE(index, 0);
        sheet.ClickEntry(index);
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), c.content);
        sheet.PressDelete();
        EXPECT_FALSE(PathExists(StreamPath(file, c.target)));
        EXPECT_EQ(ReadBytes(StreamPath(file, c.neighbour)), c.neighbourContent);
        EXPECT_EQ(sheet.Entries().size(), 1u);
    }
}

// Win32 path parsing strips a name's trailing dots and blanks ("notes." and "notes " reach
// "notes") and, on XP, refuses 260 characters or more (the test build keeps that limit).
// Each stream must still be its own target.
TEST(StreamsPage, ViewAndDeleteReachNamesThatPathParsingWouldChange) {
    const std::wstring longStream = L"a-stream-name-of-30-characters";
    const std::vector<std::pair<std::wstring, std::string>> streams = {
        {L"notes", "plain"}, {L"notes.", "with a dot"}, {L"notes ", "with a blank"}, {longStream, "long path"}};
    const struct {
        const char* label;
        size_t itemLength;  // of the item's whole path
        std::wstring target;
    } rows[] = {
        {"trailing dot", 0, L"notes."},
        {"trailing blank", 0, L"notes "},
        {"the plain name beside them", 0, L"notes"},
        {"item of 250 characters, stream path over 260", 250, longStream},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::wstring file = NewTempFolder(L"exact") + L"\\";
        file += row.itemLength > file.size() ? std::wstring(row.itemLength - file.size(), L'i') : L"sample.txt";
        ASSERT_TRUE(WriteBytes(file, "the file's own data"));
        for (const auto& s : streams)
            ASSERT_TRUE(WriteBytes(ExactStream(file, s.first), s.second));
        FakePage object(file);
        Sheet sheet(object);
        ASSERT_EQ(sheet.Entries().size(), streams.size());

        std::string content;
        for (const auto& s : streams)
            if (s.first == row.target)
                content = s.second;
        const std::string entry = std::string(row.target.begin(), row.target.end()) + " * " + std::to_string(content.size());
        sheet.ClickEntry(sheet.IndexOf(entry));
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), content);
        sheet.PressDelete();
        for (const auto& s : streams)
            EXPECT_EQ(PathExists(ExactStream(file, s.first)), s.first != row.target)
                << std::string(s.first.begin(), s.first.end());
        EXPECT_EQ(ReadBytes(file), "the file's own data");
        EXPECT_EQ(sheet.Entries().size(), streams.size() - 1);
    }
}

// The shell's own dialog shows two of our pages on one thread for a folder.
TEST(StreamsPage, TwoPagesOnOneThreadEachActOnTheirOwnSelection) {
    const std::wstring file = MakeFile({{L"a", "stream a"}, {L"b", "stream b"}});
    FakePage first(file), second(file);
    Sheet sheet(std::vector<FakePage*>{&first, &second});
    testing::ExpectEachPageActsOnItsOwnSelection(sheet, file, 0, 1);
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
    SetPropA(list, "previous", reinterpret_cast<HANDLE>(
                                   SetWindowLongA(list, GWL_WNDPROC, reinterpret_cast<LONG>(&RefusingList))));
    PageState state;
    state.hStreamList = list;
    FillStreamList(state, file);
    // Every entry left names its own stream: "b" would otherwise carry item data 0, "a".
    Entries shown;
    for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
        const LRESULT id = SendMessageA(list, LB_GETITEMDATA, i, 0);
        ASSERT_LT(static_cast<size_t>(id), state.streamNames.size());
        const std::wstring& name = state.streamNames[id];
        shown.push_back(std::string(name.begin(), name.end()));
    }
    EXPECT_EQ(shown, (Entries{"a", "c"}));
    DestroyWindow(list);
}

// Out of memory inside a window procedure leaves the page as it was, and the page still
// works afterwards; no exception reaches the window manager.
TEST(StreamsPage, OutOfMemoryLeavesThePageAsItWas) {
    const std::wstring file = MakeFile({{L"kept", "still here"}});
    FakePage object(file);
    Sheet sheet(object);
    sheet.ClickEntry(0);
    SetWindowTextA(sheet.pane, "as it was");
    {
        testing::RefusedAllocations refused;
        sheet.PressView();
        sheet.PressDelete();
    }
    EXPECT_EQ(sheet.PaneText(), "as it was");
    EXPECT_TRUE(PathExists(StreamPath(file, L"kept")));
    EXPECT_EQ(sheet.Entries(), Entries{"kept * 10"});
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "still here");
}

BOOL CALLBACK AcceptPage(HPROPSHEETPAGE, LPARAM) { return TRUE; }

// Out of memory in a COM method is E_OUTOFMEMORY, not an exception into the shell.
TEST(PageObject, OutOfMemoryIsAnErrorNotAnException) {
    const std::wstring file = MakeFile({{L"s", "x"}});
    auto* page = new Page;
    page->AddRef();
    testing::TestDataObject data({file}, true);
    ASSERT_EQ(page->Initialize(nullptr, &data, nullptr), S_OK);
    LONG pageRefs = 0;
    const struct {
        const char* label;
        std::function<HRESULT()> call;
    } rows[] = {
        {"SelectedFile", [&] { BSTR text = nullptr; return page->get_SelectedFile(&text); }},
        {"AddPages", [&] { return page->AddPages(&AcceptPage, 0); }},
        {"Initialize", [&] { return page->Initialize(nullptr, &data, nullptr); }},
    };
    for (const auto& row : rows) {
        HRESULT hr = S_OK;
        {
            testing::RefusedAllocations refused;
            hr = row.call();
            page->AddRef();
            pageRefs = static_cast<LONG>(page->Release());
        }
        SCOPED_TRACE(row.label);
        EXPECT_EQ(hr, E_OUTOFMEMORY);
        EXPECT_EQ(pageRefs, 1) << "a reference was taken for a page that was never made";
    }
    EXPECT_EQ(page->Release(), 0u);
}

// An unload frees the page state of every thread, not only of the thread that unloads.
TEST(StreamsPage, UnloadFreesEveryThreadsState) {
    struct Worker {
        std::wstring file;
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        static DWORD WINAPI Run(void* self) {
            auto* w = static_cast<Worker*>(self);
            {
                FakePage object(w->file);
                Sheet sheet(object);
            }
            SetEvent(w->done);
            WaitForSingleObject(w->finish, INFINITE);  // still running at the unload
            return 0;
        }
    } worker;
    worker.file = MakeFile({{L"s", "x"}});
    ModPropsThreadDetach();  // this thread keeps nothing
    HANDLE thread = CreateThread(nullptr, 0, &Worker::Run, &worker, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(worker.done, 10000), WAIT_OBJECT_0);
    const LONG before = testing::LiveAllocations();
    ModPropsProcessDetach();
    EXPECT_LT(testing::LiveAllocations(), before) << "the other thread's state was left behind";
    SetEvent(worker.finish);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
}

TEST(StreamsPage, AnAsteriskNameNeverReachesTheStreamBeforeIt) {
    // Wine cannot keep "*" in a file name, so "a*b" is listed without a file behind it:
    // opening and deleting it fail, as for any stream that cannot be opened. What matters
    // is that "a" is neither shown nor deleted in its place.
    const std::wstring file = MakeFile({{L"a", "the stream a"}});
    PhantomStreams().push_back({file, L"a*b", 3});
    FakePage object(file);
    Sheet sheet(object);
    PhantomStreams().clear();
    ASSERT_EQ(sheet.Entries(), (Entries{"a * 12", "a*b * 3"}));
    sheet.ClickEntry(1);
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "");
    sheet.PressDelete();
    EXPECT_EQ(ReadBytes(StreamPath(file, L"a")), "the stream a");
    EXPECT_EQ(sheet.Entries(), (Entries{"a * 12", "a*b * 3"}));
}

TEST(StreamsPage, ManyStreamsNeedALargerQueryBuffer) {
    std::vector<std::pair<std::wstring, std::string>> streams;
    for (int i = 0; i < 150; ++i)
        streams.push_back({L"stream-number-" + std::to_wstring(1000 + i), "x"});
    const std::wstring file = MakeFile(streams);
    testing::EmulatedQueries() = {};
    FakePage object(file);
    Sheet sheet(object);
    EXPECT_EQ(sheet.Entries().size(), 150u);
    EXPECT_GE(testing::EmulatedQueries().calls, 3);
    EXPECT_EQ(testing::EmulatedQueries().largestBuffer % 4096, 0u);
}

TEST(StreamsPage, ASecondPageOnTheSameThreadIsWiredLikeTheFirst) {
    const std::wstring first = MakeFile({{L"first", "one"}});
    const std::wstring second = MakeFile({{L"second", "two"}});
    FakePage firstObject(first);
    {
        Sheet sheet(firstObject);
        sheet.ClickEntry(0);
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), "one");
    }
    EXPECT_EQ(firstObject.refs(), 1) << "the page's reference was not given back";
    EXPECT_EQ(ModProps().oPage, nullptr);
    EXPECT_TRUE(ModProps().pages.empty());

    FakePage secondObject(second);
    Sheet sheet(secondObject);
    EXPECT_EQ(sheet.Entries(), Entries{"second * 3"});
    sheet.ClickEntry(0);
    EXPECT_TRUE(sheet.ViewEnabled());
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "two");
    sheet.PressDelete();
    EXPECT_FALSE(PathExists(StreamPath(second, L"second")));
}

TEST(StreamsPage, APageWhoseObjectGivesNoPathListsNothingOfAnEarlierPage) {
    const std::wstring earlier = MakeFile({{L"earlier", "from the first dialog"}});
    {
        FakePage object(earlier);
        Sheet sheet(object);
        ASSERT_EQ(sheet.Entries(), Entries{"earlier * 21"});
    }
    FakePage failing(MakeFile({{L"own", "x"}}));
    failing.failSelectedFile = true;
    Sheet sheet(failing);
    EXPECT_EQ(sheet.Entries(), Entries{}) << "Delete here would act on another dialog's file";
}

// Each thread has its own page state: a page opened on another thread does not take
// over this thread's controls or file.
struct OtherThread {
    std::wstring file;
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE proceed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::string pane;
    std::vector<std::string> entries;

    static DWORD WINAPI Run(void* self) {
        auto* t = static_cast<OtherThread*>(self);
        {
            FakePage object(t->file);
            Sheet sheet(object);
            SetEvent(t->opened);
            while (WaitForSingleObject(t->proceed, 10) == WAIT_TIMEOUT)
                testing::Pump();
            sheet.ClickEntry(0);
            sheet.PressView();
            t->pane = sheet.PaneText();
            t->entries = sheet.Entries();
        }
        ModPropsThreadDetach();
        return 0;
    }
};

TEST(StreamsPage, PagesOnTwoThreadsKeepTheirOwnState) {
    const std::wstring mine = MakeFile({{L"mine", "this thread"}});
    OtherThread other;
    other.file = MakeFile({{L"theirs", "other thread"}});

    FakePage object(mine);
    Sheet sheet(object);
    HANDLE thread = CreateThread(nullptr, 0, &OtherThread::Run, &other, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(other.opened, 10000), WAIT_OBJECT_0);

    sheet.ClickEntry(0);
    sheet.PressView();
    EXPECT_EQ(sheet.PaneText(), "this thread");

    SetEvent(other.proceed);
    while (WaitForSingleObject(thread, 10) == WAIT_TIMEOUT)
        testing::Pump();
    CloseHandle(thread);
    EXPECT_EQ(other.entries, Entries{"theirs * 12"});
    EXPECT_EQ(other.pane, "other thread");

    sheet.PressDelete();
    EXPECT_FALSE(PathExists(StreamPath(mine, L"mine")));
    EXPECT_TRUE(PathExists(StreamPath(other.file, L"theirs")));
}

}  // namespace
}  // namespace tessaline
