#include "backend/memory/memory_toolkit.h"

namespace quillomet::memory {

std::unique_ptr<quillomet::TextBox> MemoryToolkit::CreateTextBox(TextBoxEvents& events) {
    auto textBox = std::make_unique<MemoryTextBox>(events, m_NextHandle);
    m_NextHandle += 4;
    m_TextBox = textBox.get();
    return textBox;
}

} // namespace quillomet::memory
