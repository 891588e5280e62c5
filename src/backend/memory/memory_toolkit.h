#pragma once

#include "backend/memory/memory_text_box.h"
#include "toolkit/toolkit.h"

namespace quillomet::memory {

// Children in memory; keeps a view of each for tests.
class MemoryToolkit final : public Toolkit {
public:
    std::unique_ptr<quillomet::TextBox> CreateTextBox(TextBoxEvents& events) override;

    // The last text box made: the control's field.
    MemoryTextBox& Field() const { return *m_TextBox; }

private:
    MemoryTextBox* m_TextBox = nullptr;
    std::int32_t m_NextHandle = 0x10010;
};

} // namespace quillomet::memory
