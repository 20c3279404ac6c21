// The selected-file list against real CF_HDROP memory, and the stream listing with
// Wine's own stream query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModProps.h"
#include "TestDataObject.h"
#include "TestFiles.h"
#include "Win32Util.h"
#include "clsDropFiles.h"

namespace tessaline {
namespace {

using testing::NewTempFolder;
using testing::TestDataObject;

std::string Narrow(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) {
        if (c < 0x80) out += char(c);
        else { char buf[12]; snprintf(buf, sizeof buf, "\\u%04X", unsigned(c)); out += buf; }
    }
    return out;
}

std::vector<std::string> AllFiles(const clsDropFiles& list) {
    std::vector<std::string> out;
    for (short i = 0; i < list.Count(); ++i) out.push_back(Narrow(list.Files(i)));
    return out;
}

TEST(clsDropFiles, ListsTheSelectionInOrder) {
    const std::vector<std::wstring> three = {L"C:\\a\\one.txt", L"C:\\b\\two.txt", L"C:\\c"};
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "wide list" : "ANSI list");
        TestDataObject data(three, wide);
        clsDropFiles list;
        list.GetDropFiles(&data);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(AllFiles(list), (std::vector<std::string>{"C:\\a\\one.txt", "C:\\b\\two.txt", "C:\\c"}));
        EXPECT_EQ(Narrow(list.SelectedFile()), "C:\\a\\one.txt");
        EXPECT_EQ(list.Files(-1), L"");
        EXPECT_EQ(list.Files(3), L"");
        EXPECT_EQ(data.refs(), 1) << "the data object is only borrowed";
    }
}

TEST(clsDropFiles, NoFileListGivesAnEmptyList) {
    TestDataObject noDrop;
    clsDropFiles list;
    list.GetDropFiles(&noDrop);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.SelectedFile(), L"");
    EXPECT_EQ(list.Files(0), L"");

    clsDropFiles none;
    none.GetDropFiles(static_cast<IDataObject*>(nullptr));
    EXPECT_EQ(none.Count(), 0);
    EXPECT_EQ(none.SelectedFile(), L"");
}

TEST(clsDropFiles, ARepeatedReadReplacesTheList) {
    TestDataObject first({L"C:\\1", L"C:\\2", L"C:\\3"}, true);
    TestDataObject second({L"C:\\only"}, true);
    clsDropFiles list;
    list.GetDropFiles(&first);
    list.GetDropFiles(&second);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Files(1), L"");
    EXPECT_EQ(list.SelectedFile(), L"C:\\only");
}

TEST(clsDropFiles, KeepsNamesWholeAndExact) {
    // 258 characters: a cut at 254 could name another existing file.
    std::wstring longPath = L"C:\\" + std::wstring(250, L'd') + L"\\x.txt";
    ASSERT_EQ(longPath.size(), 259u);
    longPath.pop_back();
    // a-macron has only a best-fit look-alike ("a") in code page 1252.
    const std::wstring nonAnsi = L"C:\\folder\\\x0101.txt";
    TestDataObject data({longPath, nonAnsi}, true);
    clsDropFiles list;
    list.GetDropFiles(&data);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Files(0).size(), 258u);
    EXPECT_EQ(list.Files(0), longPath);
    EXPECT_EQ(Narrow(list.Files(1)), Narrow(nonAnsi));
}

TEST(ListStreams, WineHasNoStreamsSoTheListIsEmptyAndTheFileIsClosed) {
    const std::wstring folder = NewTempFolder(L"list");
    const std::wstring file = folder + L"\\plain.txt";
    ASSERT_TRUE(testing::WriteBytes(file, "content"));
    ASSERT_TRUE(testing::WriteBytes(file + L":side", "emulated only"));

    // Wine answers STATUS_NOT_IMPLEMENTED: the zero-filled buffer walks as no entry.
    EXPECT_TRUE(ListStreams(file).empty());
    EXPECT_TRUE(ListStreams(folder).empty());

    // Nobody holds the file any more: an exclusive open succeeds.
    UniqueFile exclusive(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(static_cast<bool>(exclusive)) << "error " << GetLastError();
}

TEST(ListStreams, MissingOrEmptyPathGivesNothing) {
    EXPECT_TRUE(ListStreams(L"C:\\no\\such\\file.txt").empty());
    EXPECT_TRUE(ListStreams(L"").empty());
}

}  // namespace
}  // namespace tessaline
