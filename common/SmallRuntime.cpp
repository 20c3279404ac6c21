// The shipped files carry no more of the C++ runtime than they use (Explorer loads
// Kivrel3.dll into every Properties dialog). libstdc++'s own versions of these would
// bring along its symbol demangler (to print a message nobody sees) and every exception
// class with the old string implementation behind them. With this file and
// cmake/local-string-instances.h Kivrel3.dll is about 104 KB; without them, about 300 KB.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {

// Out of memory stays an exception: the stream listing catches it and lists nothing.
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_alloc(); }

// The rest report programming errors, which end the process as an uncaught exception would.
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }

}  // namespace std
