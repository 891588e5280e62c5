#include "common/text_length.h"

namespace quillomet {

std::size_t Utf16Length(std::string_view utf8) noexcept {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80)
            ++units; // a lead byte or ASCII starts a character
        if (c >= 0xF0)
            ++units; // four-byte sequences need a surrogate pair
    }
    return units;
}

std::size_t Utf8Offset(std::string_view utf8, std::size_t utf16Position) noexcept {
    std::size_t byte = 0;
    for (std::size_t units = 0; byte < utf8.size() && units < utf16Position;) {
        const auto lead = static_cast<unsigned char>(utf8[byte]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;
        byte += length;
    }
    return byte < utf8.size() ? byte : utf8.size();
}

} // namespace quillomet
