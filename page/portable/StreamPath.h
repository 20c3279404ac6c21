// Paths the page hands to the file system, in the "\\?\" form: Win32 path parsing strips
// trailing dots and blanks from a path's last part ("notes." and "notes " would reach the
// stream "notes") and refuses 260 characters or more; the "\\?\" form does neither.
#pragma once

#include <string>
#include <string_view>

namespace tessaline {

// "C:\dir\item" as "\\?\C:\dir\item", "\\server\share\item" as "\\?\UNC\server\share\item";
// a path already in the "\\?\" form unchanged. Empty for anything else (a relative path, a
// device path): such a path cannot name one exact item.
std::u16string ExactPath(std::u16string_view itemPath);

// ExactPath(item) + ":" + the stream's exact name; empty when either part is missing.
std::u16string ExactStreamPath(std::u16string_view itemPath, std::u16string_view streamName);

}  // namespace tessaline
