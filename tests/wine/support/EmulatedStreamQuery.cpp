// Stand-in for the stream query under Wine, which has no streams: the streams of "f" are
// the sibling files "f:name", answered as NTFS answers (the default "::$DATA" record first
// for a file, none for a folder; STATUS_BUFFER_OVERFLOW when the buffer is too small). An item
// named "never-enough" plays a file system (or a server behind a redirector) that answers
// STATUS_BUFFER_OVERFLOW however large the buffer.
#include <cstring>

#include "RecordBuilder.h"
#include "StreamQuery.h"

namespace tessaline {

namespace {

std::vector<uint8_t> Answer(const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& info) {
    std::vector<testing::Record> streams;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        streams.push_back({u"::$DATA", LONGLONG(info.nFileSizeHigh) << 32 | info.nFileSizeLow});
    const std::wstring prefix = path.substr(path.find_last_of(L'\\') + 1) + L":";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path.substr(0, path.find_last_of(L'\\')) + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const std::wstring name = found.cFileName;
        if (name.size() > prefix.size() && _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) == 0) {
            const std::wstring stream = L":" + name.substr(prefix.size()) + L":$DATA";
            streams.push_back({std::u16string(stream.begin(), stream.end()),
                               LONGLONG(found.nFileSizeHigh) << 32 | found.nFileSizeLow});
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);

    return testing::BuildRecords(streams);
}

}  // namespace

LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length) {
    using GetPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto getPath = reinterpret_cast<GetPathFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleW")));
    std::wstring path(32768, L'\0');
    BY_HANDLE_FILE_INFORMATION info = {};
    path.resize(getPath(file, &path[0], DWORD(path.size()), 0));
    if (path.size() <= 4 || !GetFileInformationByHandle(file, &info))
        return LONG(0xC0000008);  // STATUS_INVALID_HANDLE
    path.erase(0, 4);             // "\\?\"

    // A listing asks again with larger buffers, which NTFS answers from the file's own record:
    // the answer is made once per listing, whose first question has the smallest buffer.
    thread_local std::wstring answered;
    thread_local std::vector<uint8_t> records;
    if (length <= 4096 || path != answered) {
        records = Answer(path, info);
        answered = path;
    }
    std::memcpy(buffer, records.data(), records.size() < length ? records.size() : length);  // what fits
    const bool neverEnough = path.size() >= 13 && path.compare(path.size() - 13, 13, L"\\never-enough") == 0;
    return records.size() > length || neverEnough ? LONG(0x80000005) : 0;  // STATUS_BUFFER_OVERFLOW
}

}  // namespace tessaline
