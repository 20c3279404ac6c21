#include "EmulatedStreamQuery.h"

#include <cstring>
#include <string>
#include <vector>

#include "StreamQuery.h"

namespace tessaline {
namespace testing {

EmulatedQueryLog& EmulatedQueries() {
    static EmulatedQueryLog log;
    return log;
}

std::vector<PhantomStream>& PhantomStreams() {
    static std::vector<PhantomStream> phantoms;
    return phantoms;
}

namespace {

std::wstring PathOf(HANDLE file) {
    using Fn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto getPath =
        reinterpret_cast<Fn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW"));
    if (getPath == nullptr)
        return std::wstring();
    std::wstring path(32768, L'\0');
    const DWORD n = getPath(file, &path[0], static_cast<DWORD>(path.size()), 0);
    path.resize(n < path.size() ? n : 0);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        path.erase(0, 4);
    return path;
}

struct Stream {
    std::wstring recordName;  // ":name:$DATA"
    LONGLONG size;
};

void Append(std::vector<BYTE>& out, const Stream& s, bool last) {
    const size_t start = out.size();
    const size_t nameBytes = s.recordName.size() * sizeof(wchar_t);
    const size_t length = (24 + nameBytes + 7) & ~size_t(7);
    out.resize(start + length);
    BYTE* r = out.data() + start;
    const ULONG next = last ? 0 : static_cast<ULONG>(length);
    const ULONG nb = static_cast<ULONG>(nameBytes);
    std::memcpy(r, &next, 4);
    std::memcpy(r + 4, &nb, 4);
    std::memcpy(r + 8, &s.size, 8);
    std::memcpy(r + 16, &s.size, 8);
    std::memcpy(r + 24, s.recordName.data(), nameBytes);
}

}  // namespace
}  // namespace testing

LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length) {
    using namespace testing;
    EmulatedQueryLog& log = EmulatedQueries();
    ++log.calls;
    if (length > log.largestBuffer)
        log.largestBuffer = length;

    BY_HANDLE_FILE_INFORMATION info = {};
    const std::wstring path = PathOf(file);
    if (path.empty() || !GetFileInformationByHandle(file, &info))
        return static_cast<LONG>(0xC0000008);  // STATUS_INVALID_HANDLE

    std::vector<Stream> streams;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        streams.push_back({L"::$DATA", (static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow});

    const size_t slash = path.find_last_of(L'\\');
    const std::wstring folder = path.substr(0, slash);
    const std::wstring prefix = path.substr(slash + 1) + L":";
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name.size() > prefix.size() && _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) == 0) {
                const LONGLONG size = (static_cast<LONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
                streams.push_back({L":" + name.substr(prefix.size()) + L":$DATA", size});
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    for (const PhantomStream& p : PhantomStreams())
        if (_wcsicmp(p.file.c_str(), path.c_str()) == 0)
            streams.push_back({L":" + p.name + L":$DATA", p.size});

    std::vector<BYTE> records;
    for (size_t i = 0; i < streams.size(); ++i)
        Append(records, streams[i], i + 1 == streams.size());
    if (records.size() > length) {
        std::memcpy(buffer, records.data(), length);  // NTFS fills what fits
        return static_cast<LONG>(0x80000005);         // STATUS_BUFFER_OVERFLOW
    }
    std::memcpy(buffer, records.data(), records.size());
    return 0;
}

}  // namespace tessaline
