#include "Win32Util.h"

namespace tessaline {

std::string ToAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    // No best-fit look-alikes: "\u0101x" must not read as "ax", neither in a list nor as a
    // path, where it would name another file.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const char* text, int length) {
    if (text == nullptr || length == 0)
        return std::wstring();
    const int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, length, &out[0], n);
    if (length < 0)
        out.resize(n - 1);  // counted the terminating zero
    return out;
}

}  // namespace tessaline
