// Force-included into the code of the shipped files. libstdc++ declares its std::string
// and std::wstring members as instantiated in the library, which links its whole string
// objects (about 70 KB) into each file; instantiated here, the linker keeps only the
// members the code calls. Together with common/SmallRuntime.cpp this is what keeps
// Kivrel3.dll near 100 KB rather than 300 KB.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
