#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillomet::demo {

// Writes 8-bit RGB pixels, rows top to bottom, as a PNG file (deflate
// stored blocks: larger than a compressed file, but exact and small code).
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

} // namespace quillomet::demo
