// Stand-in for the stream query under Wine: the streams of "f" are the sibling files
// "f:name", answered as FILE_STREAM_INFORMATION records like NTFS answers them (the
// default "::$DATA" record first for a file, none for a folder; STATUS_BUFFER_OVERFLOW
// when the buffer is too small).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessaline::testing {

// Streams the query lists beside the sibling files without any file behind them: names
// that Wine cannot hold in a file name ("*"), or huge sizes. Keyed by the file's path.
struct PhantomStream {
    std::wstring file;
    std::wstring name;
    LONGLONG size;
};
std::vector<PhantomStream>& PhantomStreams();

}  // namespace tessaline::testing
