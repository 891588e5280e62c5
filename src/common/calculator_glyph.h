#pragma once

#include <cstdint>

// The drop button's calculator glyph, described once: the library draws it
// at whatever size the button has, and tools/glyphs writes the about box's
// bitmap from it.
namespace quillomet::calculator_glyph {

struct Rgb {
    std::uint8_t r, g, b;
};

// The glyph's design grid: Grid x Grid cells.
inline constexpr int Grid = 33;

inline constexpr Rgb Face{192, 192, 192}, Light{255, 255, 255}, Dark{96, 96, 96}, Black{0, 0, 0};
inline constexpr Rgb Display{24, 56, 40}, Digits{120, 230, 140}, Key{232, 232, 232},
    Operator{70, 110, 200};

// What a disabled picture shows for `colour`: its grey level, lighter.
constexpr Rgb Greyed(Rgb colour) {
    const int level = (colour.r * 30 + colour.g * 59 + colour.b * 11) / 100;
    const auto soft = static_cast<std::uint8_t>(level / 2 + 96);
    return {soft, soft, soft};
}

// A raised part through `fill`, cell by cell: the face, then light top and
// left edges, then dark bottom and right ones over them.
template <typename Fill>
constexpr void FillRaised(Fill&& fill, int left, int top, int width, int height, Rgb face,
                          Rgb dark) {
    fill(left, top, width, height, face);
    fill(left, top, width, 1, Light);
    fill(left, top, 1, height, Light);
    fill(left, top + height - 1, width, 1, dark);
    fill(left + width - 1, top, 1, height, dark);
}

// A calculator: a dark display strip above a 3 x 4 grid of keys, the right
// column blue for the operators, on a raised button face. Painted in grid
// cells, in order (later parts cover earlier ones), through
// `fill(left, top, width, height, colour)` for flat parts and
// `raised(left, top, width, height, face, dark)` for raised ones, which a
// painter at another size draws whole, its edges inside its own box.
template <typename Fill, typename Raised>
constexpr void Paint(Fill&& fill, Raised&& raised) {
    raised(0, 0, Grid, Grid, Face, Dark);
    fill(4, 3, 25, 7, Display);
    fill(17, 5, 10, 3, Digits);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            raised(4 + column * 9, 12 + row * 5, 7, 4, column == 2 ? Operator : Key, Black);
}

} // namespace quillomet::calculator_glyph
