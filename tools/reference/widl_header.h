#pragma once

// The methods of an interface as the C++ header generated from the IDL
// declares them: what a C++ caller of the control calls.
#include "reference/surface.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillomet::reference {

struct CppParameter {
    std::string type; // "BSTR*": the pointer marks close up to the type
    std::string name;
};

struct CppMethod {
    std::string result;
    std::string name;
    std::vector<CppParameter> parameters;
};

// The pure virtual methods of `interfaceName`'s C++ declaration
// ("NAME : public BASE { ... };"), in slot order. Throws InputError when the
// header holds no such declaration or one it cannot read.
std::vector<CppMethod> ReadInterfaceMethods(std::string_view header,
                                            std::string_view interfaceName);

// What differs between the header's methods and the library's functions of
// the default interface, taken in the same order: names (get_, put_ and
// putref_ before a property's), results, parameter counts and types. Empty
// when they agree.
std::vector<std::string> CompareWithLibrary(const Surface& surface,
                                            std::span<const CppMethod> methods);

// "HRESULT get_Format(BSTR* a)"
std::string Signature(const CppMethod& method);

} // namespace quillomet::reference
