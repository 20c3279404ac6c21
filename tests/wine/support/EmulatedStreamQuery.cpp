// ntdll's NtQueryInformationFile for the stream information, under Wine, which has no
// streams: the streams of "f" are the sibling files "f:name". It answers as NTFS does: the
// default "::$DATA" record first for a file, none for a folder; every record at once, or the
// whole records that fit and STATUS_BUFFER_OVERFLOW while the buffer is too small. An item
// named "never-enough" plays a file system (or a server behind a redirector) that is never
// satisfied. No other information class is asked of it.
#include <winternl.h>

#include <cstring>

#include "RecordBuilder.h"
#include "TargetFacts.h"

namespace tessaline {
namespace {

constexpr NTSTATUS kStatusBufferOverflow = NTSTATUS(0x80000005);
constexpr NTSTATUS kStatusInvalidHandle = NTSTATUS(0xC0000008);
constexpr NTSTATUS kStatusAccessViolation = NTSTATUS(0xC0000005);
constexpr NTSTATUS kStatusInvalidInfoClass = NTSTATUS(0xC0000003);

std::vector<testing::Record> Answer(const std::wstring& path, const BY_HANDLE_FILE_INFORMATION& info) {
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
    return streams;
}

// How many of the first records of `streams` fit in `length` bytes.
size_t RecordsWithin(const std::vector<testing::Record>& streams, size_t length) {
    size_t fit = 0;
    for (size_t bytes = 0; fit < streams.size(); ++fit) {
        bytes += (24 + 2 * streams[fit].name.size() + 7) & ~size_t(7);
        if (bytes > length)
            break;
    }
    return fit;
}

NTSTATUS NTAPI EmulatedNtQueryInformationFile(HANDLE file, PIO_STATUS_BLOCK io, PVOID buffer, ULONG length,
                                              FILE_INFORMATION_CLASS infoClass) {
    if (io == nullptr)
        return kStatusAccessViolation;
    if (infoClass != FileStreamInformation)
        return kStatusInvalidInfoClass;
    using GetPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);  // Wine's, not the targets'
    static const auto getPath = targets::WineFunction<GetPathFn>("kernel32.dll", "GetFinalPathNameByHandleW");
    std::wstring path(32768, L'\0');
    BY_HANDLE_FILE_INFORMATION info = {};
    path.resize(getPath(file, &path[0], DWORD(path.size()), 0));
    if (path.size() <= 4 || !GetFileInformationByHandle(file, &info))
        return io->Status = kStatusInvalidHandle;
    path.erase(0, 4);  // "\\?\"

    std::vector<testing::Record> streams = Answer(path, info);
    const size_t fit = RecordsWithin(streams, length);
    const bool all = fit == streams.size();
    streams.resize(fit);
    const std::vector<uint8_t> records = testing::BuildRecords(streams);
    std::memcpy(buffer, records.data(), records.size());
    io->Information = records.size();
    const bool neverEnough = path.size() >= 13 && path.compare(path.size() - 13, 13, L"\\never-enough") == 0;
    return io->Status = all && !neverEnough ? 0 : kStatusBufferOverflow;
}

}  // namespace

TESSALINE_REPLACE_IMPORT(NtQueryInformationFile, 20, EmulatedNtQueryInformationFile);

}  // namespace tessaline
