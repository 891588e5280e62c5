#pragma once

#include <cstddef>
#include <string_view>

namespace quillomet {

// Length of a UTF-8 text in UTF-16 code units: the length a host sees
// through automation, where texts and pictures are limited to 32767.
std::size_t Utf16Length(std::string_view utf8) noexcept;

// The byte offset in a UTF-8 text of a position counted in UTF-16 units,
// as text boxes count selections; at most the text's length.
std::size_t Utf8Offset(std::string_view utf8, std::size_t utf16Position) noexcept;

// The longest text or picture the control accepts: its positions are
// counted in 16 bits.
constexpr std::size_t MaxTextLength = 32767;

} // namespace quillomet
