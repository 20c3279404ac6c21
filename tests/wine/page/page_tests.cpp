// The Streams page as a user meets it: a real property sheet, real controls, mouse and
// key messages, over streams the rig emulates as sibling files "file:stream".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EmulatedStreamQuery.h"
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
        {"outside the ANSI code page", L"\x0101x", "macron", "ax * 6", L"ax", "plain-a"},
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

// The template as the DLL carries it, control by control.
TEST(StreamsPage, DialogTemplateMatchesTheLayout) {
    HRSRC found = FindResourceExA(nullptr, MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(106),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr);
    const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    const BYTE* const end = p + SizeofResource(nullptr, found);
    auto word = [&p]() { WORD w; memcpy(&w, p, 2); p += 2; return w; };
    auto dword = [&p]() { DWORD d; memcpy(&d, p, 4); p += 4; return d; };
    auto text = [&p, &word]() {
        std::string s;
        if (*reinterpret_cast<const WORD*>(p) == 0xFFFF) {
            // A predefined class as an atom, as some resource compilers write it.
            word();
            switch (const WORD atom = word()) {
            case 0x80: return std::string("BUTTON");
            case 0x81: return std::string("EDIT");
            case 0x82: return std::string("STATIC");
            case 0x83: return std::string("LISTBOX");
            default: return "#" + std::to_string(atom);
            }
        }
        for (WORD c; (c = word()) != 0;) s += static_cast<char>(c);
        return s;
    };
    auto align = [&p]() { p = reinterpret_cast<const BYTE*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR(3)); };

    EXPECT_EQ(word(), 1);       // dlgVer
    EXPECT_EQ(word(), 0xFFFF);  // DLGTEMPLATEEX
    EXPECT_EQ(dword(), 0u);     // helpID
    EXPECT_EQ(dword(), 0u);     // exStyle
    EXPECT_EQ(dword(), 0x50800040u);
    const WORD controls = word();
    EXPECT_EQ(controls, 7);
    const short box[4] = {short(word()), short(word()), short(word()), short(word())};
    EXPECT_EQ(std::vector<short>(box, box + 4), (std::vector<short>{0, 0, 210, 154}));
    EXPECT_EQ(text(), "");  // menu
    EXPECT_EQ(text(), "");  // class
    EXPECT_EQ(text(), "");  // caption
    EXPECT_EQ(word(), 8);   // points
    EXPECT_EQ(word(), 0);   // weight
    EXPECT_EQ(*p++, 0);     // italic
    EXPECT_EQ(*p++, 0);     // charset
    EXPECT_EQ(text(), "MS Sans Serif");

    struct Control {
        DWORD id, exStyle, style;
        short x, y, cx, cy;
        std::string cls, text;
        bool operator==(const Control& o) const {
            return id == o.id && exStyle == o.exStyle && style == o.style && x == o.x && y == o.y && cx == o.cx &&
                   cy == o.cy && cls == o.cls && text == o.text;
        }
    };
    const Control expected[] = {
        {65535, 0, 0x50020007, 9, 6, 189, 144, "BUTTON", "Streams"},
        {1000, 0, 0x50A10103, 18, 26, 172, 39, "LISTBOX", "List1"},
        {65535, 0, 0x50020000, 21, 17, 171, 8, "STATIC", "Name and Size:"},
        {65535, 0, 0x50000007, 19, 69, 171, 31, "BUTTON", "With Selected Stream:"},
        {1001, 0, 0x50010000, 39, 81, 50, 14, "BUTTON", "View"},
        {1002, 0, 0x50010000, 119, 81, 49, 14, "BUTTON", "Delete"},
        {1003, 0x00020000, 0x50201884, 19, 105, 169, 36, "EDIT", ""},
    };
    for (int i = 0; i < controls && i < 7; ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        align();
        Control c;
        EXPECT_EQ(dword(), 0u);  // helpID
        c.exStyle = dword();
        c.style = dword();
        c.x = short(word()); c.y = short(word()); c.cx = short(word()); c.cy = short(word());
        c.id = dword();
        c.cls = text();
        c.text = text();
        EXPECT_EQ(word(), 0);  // no creation data
        EXPECT_TRUE(c == expected[i]) << "id " << c.id << " style " << std::hex << c.style << " ex " << c.exStyle
                                      << std::dec << " at " << c.x << "," << c.y << " " << c.cx << "x" << c.cy
                                      << " class " << c.cls << " text \"" << c.text << "\"";
    }
    EXPECT_LE(p, end);
}

}  // namespace
}  // namespace tessaline
