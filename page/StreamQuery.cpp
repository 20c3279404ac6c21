#include "StreamQuery.h"

namespace tessaline {
namespace {

constexpr ULONG kFileStreamInformation = 22;
constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);

struct IoStatusBlock {
    ULONG status;
    ULONG_PTR information;
};

using NtQueryInformationFileFn = LONG(WINAPI*)(HANDLE, IoStatusBlock*, void*, ULONG, ULONG);

}  // namespace

LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length) {
    // ntdll is in every process and never unloaded: resolve once, keep the address.
    static const auto query = reinterpret_cast<NtQueryInformationFileFn>(
        GetProcAddress(GetModuleHandleA("NTDLL.DLL"), "NtQueryInformationFile"));
    if (query == nullptr)
        return kStatusNotImplemented;
    IoStatusBlock io = {};
    return query(file, &io, buffer, length, kFileStreamInformation);
}

}  // namespace tessaline
