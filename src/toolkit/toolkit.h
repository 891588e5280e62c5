#pragma once

#include "toolkit/text_box.h"

#include <memory>

namespace quillomet {

// Makes the children of one control inside the control's own window.
class Toolkit {
public:
    virtual ~Toolkit() = default;
    virtual std::unique_ptr<TextBox> CreateTextBox(TextBoxEvents& events) = 0;
};

} // namespace quillomet
