#pragma once

#include "common/variant.h"

#include <ostream>

namespace quillomet {

// Lets test failures show a Variant as its type and text.
inline void PrintTo(const Variant& value, std::ostream* out) {
    static constexpr const char* names[] = {"Empty",  "Null",     "Integer", "Long",    "Single",
                                            "Double", "Currency", "String",  "Boolean", "Object"};
    *out << names[static_cast<int>(value.Type())];
    if (value.IsString())
        *out << " \"" << value.String() << '"';
    else if (value.IsNumeric())
        *out << ' ' << value.ToString();
}

} // namespace quillomet
