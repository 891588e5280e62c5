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

} // namespace quillomet
