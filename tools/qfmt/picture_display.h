#pragma once

// What the control's text box shows for a value under a Format picture,
// read from a real control on the in-memory backend.
#include <string>

namespace quillomet::tools {

// When the field holds the focus, if at all, relative to the value's write.
enum class FocusMoment {
    None,        // never: the display form
    BeforeWrite, // the value is written while the user is in the field
    AfterWrite,  // the field takes the focus after the write: the editing form
};

struct DisplayRequest {
    std::string format;
    // A text that reads as a number is written as one, anything else as
    // text, as a host would pass it.
    std::string value;
    FocusMoment focus = FocusMoment::None;
    bool positiveOnly = false;
};

// Sets Format (and PositiveOnly) on a new control, writes the value and
// returns the field's text. Throws the control's automation error.
std::string Display(const DisplayRequest& request);

} // namespace quillomet::tools
