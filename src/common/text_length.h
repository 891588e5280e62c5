#pragma once

#include <cstddef>
#include <string_view>

namespace quillomet {

// Length of a UTF-8 text in UTF-16 code units: the length a host sees
// through automation, where texts and pictures are limited to 32767.
std::size_t Utf16Length(std::string_view utf8) noexcept;

// The longest text or picture the control accepts: its positions are
// counted in 16 bits.
constexpr std::size_t MaxTextLength = 32767;

} // namespace quillomet
