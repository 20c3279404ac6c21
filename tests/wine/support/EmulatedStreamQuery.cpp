#include "EmulatedStreamQuery.h"

#include <cstring>

#include "RecordBuilder.h"
#include "StreamQuery.h"

namespace tessaline {
namespace testing {

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

}  // namespace
}  // namespace testing

LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length) {
    using namespace testing;
    BY_HANDLE_FILE_INFORMATION info = {};
    const std::wstring path = PathOf(file);
    if (path.empty() || !GetFileInformationByHandle(file, &info))
        return static_cast<LONG>(0xC0000008);  // STATUS_INVALID_HANDLE

    auto exact = [](const std::wstring& name) { return std::u16string(name.begin(), name.end()); };
    std::vector<Record> streams;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        streams.push_back({u"::$DATA", (static_cast<LONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow});

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
                streams.push_back({exact(L":" + name.substr(prefix.size()) + L":$DATA"), size});
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    for (const PhantomStream& p : PhantomStreams())
        if (_wcsicmp(p.file.c_str(), path.c_str()) == 0)
            streams.push_back({exact(L":" + p.name + L":$DATA"), p.size});

    const std::vector<uint8_t> records = BuildRecords(streams);
    if (records.size() > length) {
        std::memcpy(buffer, records.data(), length);  // NTFS fills what fits
        return static_cast<LONG>(0x80000005);         // STATUS_BUFFER_OVERFLOW
    }
    std::memcpy(buffer, records.data(), records.size());
    return 0;
}

}  // namespace tessaline
