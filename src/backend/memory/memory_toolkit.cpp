#include "backend/memory/memory_toolkit.h"

namespace quillomet::memory {

std::unique_ptr<quillomet::TextBox> MemoryToolkit::CreateTextBox(TextBoxEvents& events,
                                                                 const Geometry& geometry) {
    auto textBox = std::make_unique<MemoryTextBox>(events, m_NextHandle, geometry);
    m_NextHandle += 4;
    m_TextBox = textBox.get();
    return textBox;
}

std::unique_ptr<quillomet::Spinner> MemoryToolkit::CreateSpinner(SpinnerEvents& events,
                                                                 const Geometry& geometry) {
    auto spinner = std::make_unique<MemorySpinner>(events, geometry);
    m_Spinner = spinner.get();
    return spinner;
}

std::unique_ptr<quillomet::Image> MemoryToolkit::CreateImage(ImageEvents* events,
                                                             const Geometry& geometry, Glyph glyph,
                                                             bool visible) {
    auto image = std::make_unique<MemoryImage>(events, geometry, glyph, visible);
    m_Images.push_back(image.get());
    if (!visible)
        m_Holders.emplace_back(glyph, image.get());
    return image;
}

MemoryImage& MemoryToolkit::HiddenImage(Glyph glyph) const {
    for (const auto& [made, image] : m_Holders)
        if (made == glyph)
            return *image;
    throw std::out_of_range("no hidden image with that glyph was made");
}

std::unique_ptr<quillomet::Timer> MemoryToolkit::CreateTimer(TimerEvents& events,
                                                             std::int32_t intervalMilliseconds) {
    auto timer = std::make_unique<MemoryTimer>(events, m_Clock, intervalMilliseconds);
    m_Timer = timer.get();
    return timer;
}

std::unique_ptr<quillomet::CalculatorWindow>
MemoryToolkit::CreateCalculatorWindow(CalculatorWindowEvents& events) {
    return std::make_unique<MemoryCalculatorWindow>(events, *this);
}

void MemoryToolkit::ProcessPendingMessages() {
    for (std::size_t pending = m_Queue.size(); pending > 0 && !m_Queue.empty(); --pending) {
        auto message = std::move(m_Queue.front());
        m_Queue.pop_front();
        message();
    }
}

void MemoryToolkit::SendTab() {
    ++m_TabsSent;
    Post([this] {
        if (m_OnTab)
            m_OnTab();
    });
}

} // namespace quillomet::memory
