// Times opening the Streams page over 1,000, 10,000 and 60,000 emulated streams, against the
// same property sheet holding a sorted list box filled with the same lines from the same
// dialog template: what the page costs beyond showing its list. Then times Initialize over
// selections of 1,000, 10,000 and 100,000 items. Built as the page program is, over Windows
// XP's facts; run by tools/bench-page.sh.
#include <cstdio>
#include <cwchar>

#include "ModProps.h"
#include "Page.h"
#include "PageHarness.h"
#include "Server.h"

namespace tessaline::testing {
namespace {

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(count.QuadPart) / double(frequency.QuadPart);
}

BOOL CALLBACK Take(HPROPSHEETPAGE page, LPARAM pages) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(pages)->push_back(page);
    return TRUE;
}

// Milliseconds from the shell's first call to the page shown with its list, of `listed` entries.
double OpenPage(const std::wstring& item, LRESULT& listed) {
    const double start = Now();
    IShellExtInit* init = NewObject<IShellExtInit>(&DllGetClassObject, CLSID_Page, IID_IShellExtInit);
    IDataObject* data = ShellSelection({item});
    init->Initialize(nullptr, data, nullptr);
    data->Release();
    IShellPropSheetExt* ext = nullptr;
    init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext));
    std::vector<HPROPSHEETPAGE> pages;
    ext->AddPages(&Take, reinterpret_cast<LPARAM>(&pages));
    ext->Release();
    Sheet sheet(pages);
    const double took = Now() - start;
    listed = SendMessageA(sheet.list, LB_GETCOUNT, 0, 0);
    sheet.Close();
    init->Release();
    return took;
}

INT_PTR CALLBACK FilledList(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* lines = reinterpret_cast<const std::vector<std::string>*>(
            reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        for (const std::string& line : *lines)
            SendDlgItemMessageA(dialog, IDC_STREAM_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    return 0;
}

// The page's lines, in the order the file system lists the streams, which is the order the
// page adds them in.
std::vector<std::string> ListedLines(const std::wstring& item) {
    const size_t slash = item.find_last_of(L'\\');
    const std::wstring prefix = item.substr(slash + 1) + L":";
    std::vector<std::string> lines;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((item.substr(0, slash) + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (std::wcsncmp(found.cFileName, prefix.c_str(), prefix.size()) == 0)
            lines.push_back(ToAnsi(found.cFileName + prefix.size()) + " * 1");
    FindClose(search);
    return lines;
}

double OpenFilledList(const std::vector<std::string>& lines) {
    const double start = Now();
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = g_module;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_STREAMS_PAGE);
    page.pszTitle = "Streams";
    page.pfnDlgProc = FilledList;
    page.lParam = reinterpret_cast<LPARAM>(&lines);
    Sheet sheet({CreatePropertySheetPageA(&page)});
    const double took = Now() - start;
    sheet.Close();
    return took;
}

// Milliseconds of Initialize over a hand-made selection, as the shell's data object hands
// it over: the page reads the whole list, though it shows only the first item.
double InitializeOver(const std::vector<uint8_t>& block) {
    IShellExtInit* init = NewObject<IShellExtInit>(&DllGetClassObject, CLSID_Page, IID_IShellExtInit);
    IDataObject* data = BlockSelection(block);
    const double start = Now();
    init->Initialize(nullptr, data, nullptr);
    const double took = Now() - start;
    data->Release();
    init->Release();
    return took;
}

}  // namespace
}  // namespace tessaline::testing

int main() {
    using namespace tessaline;
    using namespace tessaline::testing;
    g_module = GetModuleHandleA(nullptr);
    ModPropsProcessAttach();
    OleInitialize(nullptr);
    CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), Beside(L"vornex.dll").c_str(), FALSE);
    std::printf("%8s %8s %12s %12s %7s\n", "streams", "listed", "page ms", "list box ms", "ratio");
    const std::wstring item = NewTempFolder(L"bench") + L"\\item.txt";
    WriteBytes(item, "data");
    int made = 0;
    for (int count : {1000, 10000, 60000}) {
        for (; made < count; ++made)
            WriteBytes(StreamPath(item, L"stream-" + std::to_wstring(100000 + made)), "x");
        const std::vector<std::string> lines = ListedLines(item);
        double page = 1e300, list = 1e300;  // the best of three, each
        LRESULT listed = 0;
        for (int run = 0; run < 3; ++run) {
            page = std::min(page, OpenPage(item, listed));
            list = std::min(list, OpenFilledList(lines));
        }
        std::printf("%8d %8ld %12.0f %12.0f %7.2f\n", count, long(listed), page, list, page / list);
        std::fflush(stdout);
    }
    // The selection is read in one pass: the time per item should stay about the same.
    std::printf("\n%8s %14s %12s\n", "items", "Initialize ms", "us per item");
    std::vector<std::u16string> names;
    for (int count : {1000, 10000, 100000}) {
        while (int(names.size()) < count)
            names.push_back(u"C:\\Documents and Settings\\user\\item-" +
                            std::u16string(1, char16_t(u'a' + names.size() % 26)) + u".txt");
        const std::vector<uint8_t> block = DropBlock(1, names);
        double took = 1e300;
        for (int run = 0; run < 3; ++run)
            took = std::min(took, InitializeOver(block));
        std::printf("%8d %14.1f %12.2f\n", count, took, 1000.0 * took / count);
        std::fflush(stdout);
    }
    return 0;
}
