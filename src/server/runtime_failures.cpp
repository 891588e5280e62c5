// What the C++ runtime does in the library when something fails that only
// a fault of ours can make fail: an exception escaping a function that may
// not throw, or a string or container used out of its bounds.
//
// The runtime's own versions of these functions sit in two objects that
// bring most of the library's size with them: the terminate handler prints
// the exception's demangled type name (the whole demangler, for a process
// with no console to print to), and the functions behind a failed bounds
// or length check build their exceptions on a second implementation of
// strings. Defined here, they keep that code out and the library small:
// the bounds failures become the library's own described errors, which
// reach the host like any other, with the same wording.
#include "common/described_error.h"
#include "server/runtime_fault_text.h"

#include <windows.h>

#include <bits/functexcept.h>
#include <cstdarg>
#include <cstdlib>
#include <new>
#include <string>
#include <typeinfo>

namespace {

[[noreturn]] void ThrowFault(const char* kind, const char* message) {
    throw quillomet::DescribedError(quillomet::FaultText(kind, message));
}

} // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    OutputDebugStringA("Quillomet: an exception left a function that may not throw\n");
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_logic_error(const char* message) {
    ThrowFault("a logic error", message);
}
void __throw_invalid_argument(const char* message) {
    ThrowFault("an invalid argument", message);
}
void __throw_length_error(const char* message) {
    ThrowFault("a length beyond the limit", message);
}
void __throw_out_of_range(const char* message) {
    ThrowFault("a position out of range", message);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = quillomet::FormattedFaultText("a position out of range", format, arguments);
    va_end(arguments);
    throw quillomet::DescribedError(text);
}

} // namespace std
