#pragma once

#include "toolkit/ole_color.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// What a designer's property browser shows for the control's properties:
// the pictures offered for Format, the names of the system colours and a
// font's description.
namespace quillomet {

// The pictures a designer offers for Format, the control's default first.
std::span<const std::string_view> CommonPictures();

// A picture as a designer's list shows it: a number under it, then the
// picture itself, "1,234.50 (###,##0.00)".
std::string PictureExample(std::string_view picture);

// The system colours with a name: 0x80000000 and the next ones.
inline constexpr OleColor FirstSystemColor = 0x80000000;
inline constexpr int NamedSystemColors = 25;
// The name of a system colour ("Window Background" for 0x80000005), or the
// empty text for any other colour.
std::string_view SystemColorName(OleColor color);

// A font as the font object describes it; its size in ten-thousandths of a
// point.
struct FontTraits {
    std::string_view name;
    std::int64_t size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
};
// "Tahoma, 8 pt, bold": the size without trailing zeros ("8.25 pt"), then
// the styles it has.
std::string FontDescription(const FontTraits& font);

} // namespace quillomet
