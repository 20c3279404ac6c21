// The Streams page's listing of an item's streams, and the list's selection.
#include <algorithm>
#include <new>

#include "ModPropsParts.h"
#include "StreamPath.h"
#include "StreamQuery.h"
#include "Win32Util.h"

namespace tessaline {

HANDLE OpenStream(const std::wstring& path, DWORD access, DWORD flags) {
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

std::vector<StreamEntry> ListStreams(const std::wstring& path) {
    const std::wstring exact = Wide(ExactPath(U16(path)));
    if (exact.empty())
        return {};
    // The stream information needs no access right of its own, and an open for attributes
    // alone takes no part in sharing: a file another program holds without sharing, or
    // one the user may not read, still lists its streams.
    UniqueFile file(OpenStream(exact, FILE_READ_ATTRIBUTES));
    if (!file)
        return {};
    try {
        const std::vector<uint8_t> records = QueryGrowing([&](uint8_t* buffer, uint32_t length) {
            return static_cast<uint32_t>(QueryStreamInformation(file.get(), buffer, length));
        });
        return WalkStreamRecords(records.data(), records.size());
    } catch (const std::bad_alloc&) {
        return {};  // listed as a stream-less item, like any other failure here
    }
}

void FillStreamList(PageState& s, const std::wstring& path) {
    for (const StreamEntry& entry : ListStreams(path)) {
        const std::u16string shown = TrimBlanks(entry.display);
        if (shown.empty())
            continue;
        const std::string ansi = ToAnsi(Wide(shown));
        // The name is kept before the list learns of the entry, and an entry whose item
        // data the list refuses goes again: its data would name another stream.
        s.streamNames.push_back(Wide(entry.name));
        const LRESULT index = SendMessageA(s.hStreamList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
        if (index >= 0 && SendMessageA(s.hStreamList, LB_SETITEMDATA, index,
                                       static_cast<LPARAM>(s.streamNames.size() - 1)) != LB_ERR)
            continue;
        if (index >= 0)
            SendMessageA(s.hStreamList, LB_DELETESTRING, index, 0);
        s.streamNames.pop_back();
    }
}

std::wstring GetSelectedEntry(PageState& s) {
    s.lListIndex = static_cast<LONG>(SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0));
    if (s.lListIndex < 0)
        return std::wstring();
    const LRESULT length = SendMessageA(s.hStreamList, LB_GETTEXTLEN, s.lListIndex, 0);
    if (length <= 0)
        return std::wstring();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(s.hStreamList, LB_GETTEXT, s.lListIndex, reinterpret_cast<LPARAM>(&text[0]));
    if (copied <= 0)
        return std::wstring();
    return FromAnsi(text.c_str(), static_cast<int>(std::min(copied, length)));
}

void RemoveSelectedEntry(PageState& s) {
    const LRESULT index = SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0);
    if (index >= 0)
        SendMessageA(s.hStreamList, LB_DELETESTRING, index, 0);
}

// From the name kept beside the entry, never from the shown text, which is trimmed and
// code-page converted; empty when there is none.
std::wstring SelectedStreamPath(PageState& s) {
    if (s.lListIndex < 0)
        return std::wstring();
    const LRESULT id = SendMessageA(s.hStreamList, LB_GETITEMDATA, s.lListIndex, 0);
    if (id < 0 || static_cast<size_t>(id) >= s.streamNames.size())
        return std::wstring();
    return Wide(ExactStreamPath(U16(s.sFilePath), U16(s.streamNames[id])));
}

}  // namespace tessaline
