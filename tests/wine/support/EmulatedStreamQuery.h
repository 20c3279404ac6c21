// Stand-in for the stream query under Wine: the streams of "f" are the sibling files
// "f:name", answered as FILE_STREAM_INFORMATION records like NTFS answers them (the
// default "::$DATA" record first for a file, none for a folder; STATUS_BUFFER_OVERFLOW
// when the buffer is too small).
#pragma once

#include <windows.h>

namespace tessaline::testing {

// Number of queries answered and the largest buffer offered, since the last reset.
struct EmulatedQueryLog {
    int calls = 0;
    ULONG largestBuffer = 0;
};
EmulatedQueryLog& EmulatedQueries();

}  // namespace tessaline::testing
