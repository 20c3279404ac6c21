#include "Win32Util.h"

#include "AnsiText.h"

namespace tessaline {

namespace {

// 0 and the platform's error when the conversion fails.
std::string Convert(const wchar_t* text, int size, DWORD flags, DWORD& error) {
    const int n = WideCharToMultiByte(CP_ACP, flags, text, size, nullptr, 0, nullptr, nullptr);
    error = n > 0 ? ERROR_SUCCESS : GetLastError();
    if (n <= 0)
        return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, flags, text, size, &out[0], n, nullptr, nullptr);
    return out;
}

class SystemCodePage final : public UnitCodePage {
public:
    std::string Encode(char16_t unit) override {
        const wchar_t text = unit;
        DWORD error = 0;
        return Convert(&text, 1, 0, error);
    }
    std::u16string Decode(const std::string& bytes) override {
        const std::wstring text = FromAnsi(bytes.data(), static_cast<int>(bytes.size()));
        return std::u16string(text.begin(), text.end());
    }
    std::string DefaultCharacter() override {
        CPINFO info = {};
        if (!GetCPInfo(CP_ACP, &info))
            return "?";
        // One byte, or two in a double-byte code page; not zero-terminated when two.
        return std::string(reinterpret_cast<const char*>(info.DefaultChar), info.DefaultChar[1] != 0 ? 2 : 1);
    }
};

}  // namespace

std::string ToAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    // No best-fit look-alikes: "\u0101x" must not read as "ax", neither in a list nor as a
    // path, where it would name another file.
    DWORD error = 0;
    std::string out = Convert(text.data(), static_cast<int>(text.size()), WC_NO_BEST_FIT_CHARS, error);
    if (error != ERROR_INVALID_FLAGS)
        return out;
    // NT4 predates the flag and refuses it.
    SystemCodePage codePage;
    return EncodeWithoutLookAlikes(std::u16string(text.begin(), text.end()), codePage);
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
