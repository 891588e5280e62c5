#pragma once

#include "toolkit/font.h"
#include "toolkit/geometry.h"
#include "toolkit/ole_color.h"
#include "toolkit/text_box.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillomet {

// What the control shows, for a host that draws it itself (a designer's
// control that was never activated, a printout, a document's picture): its
// size and its parts' places in twips, as its windows have them, and what
// each part shows. Read from the control's state, never from its windows.
struct Appearance {
    std::int32_t width = 0;
    std::int32_t height = 0;
    // A disabled control greys its text, its arrows and its button's glyph.
    bool enabled = true;
    struct Field {
        Geometry place;
        std::string text; // the display form, or the plain form while edited
        Alignment alignment = Alignment::Right;
        OleColor backColor = 0;
        OleColor foreColor = 0;
        FontRef font;
    } field;
    // Absent while not shown.
    std::optional<Geometry> spinner;
    std::optional<Geometry> dropButton;
};

} // namespace quillomet
