// Reading Kivrel3's type libraries back, shared by the readback and registration tests.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace tessaline::testing {

// A counted interface pointer, released at the end of its scope.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { reset(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** put() { reset(); return &p_; }
    void reset() {
        if (p_ != nullptr)
            p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

std::string Narrow(const wchar_t* text);  // ASCII, others as \uXXXX
std::string GuidText(REFGUID guid);
std::string HexText(unsigned long value);

// The built Kivrel3.dll, found from this program's place in the Windows build tree.
std::string DllUnderTest();
std::wstring Wide(const std::string& ansi);

// Whether references into the imported libraries can be followed: the shell's
// interfaces resolve only once ShellTypes is registered.
enum class Imports { Unresolved, Resolved };

// Every attribute, type, implemented interface and member of Tessaline3, with gtest
// expectations.
void ExpectTessaline3(ITypeLib* lib, Imports imports);

// The library of the shell's interfaces, as resource 2 holds it.
void ExpectShellTypes(ITypeLib* lib);

}  // namespace tessaline::testing
