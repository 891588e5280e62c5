#include "backend/memory/memory_text_box.h"

#include "common/text_length.h"

#include <algorithm>

namespace quillomet::memory {
namespace {

// Byte offset of a UTF-16 position in a UTF-8 text.
std::size_t ByteOffset(const std::string& text, std::int32_t position) {
    return Utf8Offset(text, position < 0 ? 0 : static_cast<std::size_t>(position));
}

} // namespace

MemoryTextBox::MemoryTextBox(TextBoxEvents& events, std::int32_t handle, const Geometry& geometry)
    : m_Events(events), m_Handle(handle), m_Geometry(geometry) {}

std::int32_t MemoryTextBox::Length() const {
    return static_cast<std::int32_t>(Utf16Length(m_Text));
}

void MemoryTextBox::SetText(std::string_view text) {
    // Copied before the notification: its handler may rewrite the source.
    m_Text.assign(text);
    m_SelStart = 0;
    m_SelLength = 0;
    m_Events.OnChange();
}

void MemoryTextBox::SetSelStart(std::int32_t start) {
    m_SelStart = std::clamp(start, 0, Length());
    m_SelLength = 0;
}

void MemoryTextBox::SetSelLength(std::int32_t length) {
    m_SelLength = std::clamp(length, 0, Length() - m_SelStart);
}

void MemoryTextBox::ReceiveFocus() {
    m_HasFocus = true;
    m_Events.OnGotFocus();
}

void MemoryTextBox::LoseFocus() {
    m_HasFocus = false;
    m_Events.OnLostFocus();
}

void MemoryTextBox::TypeChar(char c) {
    auto code = static_cast<std::int16_t>(static_cast<unsigned char>(c));
    m_Events.OnKeyPress(code);
    if (code == 0 || m_Locked)
        return;
    if (code == 8) {
        if (m_SelLength == 0 && m_SelStart > 0) {
            --m_SelStart;
            m_SelLength = 1;
        }
        ReplaceSelection("");
        return;
    }
    if (code < 32)
        return; // control characters insert nothing, as in an edit window
    const char typed = static_cast<char>(code);
    ReplaceSelection(std::string_view(&typed, 1));
}

void MemoryTextBox::TypeText(std::string_view text) {
    for (char c : text)
        TypeChar(c);
}

void MemoryTextBox::KeyDown(std::int16_t keyCode, std::int16_t shift) {
    m_Events.OnKeyDown(keyCode, shift);
}

void MemoryTextBox::KeyUp(std::int16_t keyCode, std::int16_t shift) {
    m_Events.OnKeyUp(keyCode, shift);
}

void MemoryTextBox::PressKey(std::int16_t keyCode, std::int16_t shift) {
    KeyDown(keyCode, shift);
    KeyUp(keyCode, shift);
}

void MemoryTextBox::ReplaceSelection(std::string_view text) {
    const std::size_t from = ByteOffset(m_Text, m_SelStart);
    const std::size_t to = ByteOffset(m_Text, m_SelStart + m_SelLength);
    m_Text.replace(from, to - from, text);
    m_SelStart += static_cast<std::int32_t>(Utf16Length(text));
    m_SelLength = 0;
    m_Events.OnChange();
}

} // namespace quillomet::memory
