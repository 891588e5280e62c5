#pragma once

#include "server/class_facts.h"

#include <guiddef.h>

#include <array>
#include <iterator>

namespace quillomet {

namespace detail {
constexpr unsigned long HexAt(const char* text, int from, int digits) {
    unsigned long value = 0;
    for (int i = from; i < from + digits; ++i)
        value = value * 16 + static_cast<unsigned long>(
                                 text[i] <= '9' ? text[i] - '0' : (text[i] | 0x20) - 'a' + 10);
    return value;
}
} // namespace detail

// A GUID from its registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// read when compiling.
constexpr GUID GuidFromText(const char* text) {
    using detail::HexAt;
    GUID guid{HexAt(text, 1, 8),
              static_cast<unsigned short>(HexAt(text, 10, 4)),
              static_cast<unsigned short>(HexAt(text, 15, 4)),
              {}};
    for (int i = 0; i < 8; ++i)
        guid.Data4[i] = static_cast<unsigned char>(HexAt(text, i < 2 ? 20 + 2 * i : 21 + 2 * i, 2));
    return guid;
}

// The property pages' class identifiers, in class_facts::PropertyPages' order.
inline constexpr auto PageClassIds = [] {
    std::array<CLSID, std::size(class_facts::PropertyPages)> ids{};
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = GuidFromText(class_facts::PropertyPages[i].clsid);
    return ids;
}();

} // namespace quillomet
