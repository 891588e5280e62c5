#pragma once

#include <cstdint>

namespace quillomet {

// 32 bits; with the high bit set the low byte names a system colour,
// otherwise an RGB value. The control passes colours on uninterpreted.
using OleColor = std::uint32_t;

constexpr OleColor SystemWindowBackground = 0x80000005;
constexpr OleColor SystemWindowText = 0x80000008;

} // namespace quillomet
