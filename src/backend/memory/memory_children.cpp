#include "backend/memory/memory_children.h"

#include <algorithm>

namespace quillomet::memory {

void MemorySpinner::MouseDown(float y, std::int16_t button) {
    std::int16_t shift = 0;
    float x = 120;
    m_Events.OnMouseDown(button, shift, x, y);
}

void MemorySpinner::MouseUp(float y, std::int16_t button) {
    std::int16_t shift = 0;
    float x = 120;
    m_Events.OnMouseUp(button, shift, x, y);
}

void MemorySpinner::MouseMove(float y) {
    std::int16_t button = 0, shift = 0;
    float x = 120;
    m_Events.OnMouseMove(button, shift, x, y);
}

MemoryImage::MemoryImage(ImageEvents* events, const Geometry& geometry, Glyph glyph, bool visible)
    : m_Events(events), m_Geometry(geometry), m_Visible(visible),
      m_Picture(std::make_shared<MemoryPicture>(glyph)) {}

void MemoryImage::MouseDown(float x, float y, std::int16_t button) {
    std::int16_t shift = 0;
    if (m_Events)
        m_Events->OnMouseDown(button, shift, x, y);
}

void MemoryImage::MouseUp(float x, float y, std::int16_t button) {
    std::int16_t shift = 0;
    if (m_Events)
        m_Events->OnMouseUp(button, shift, x, y);
}

void MemoryImage::Click() {
    if (m_Events)
        m_Events->OnClick();
}

MemoryTimer::MemoryTimer(TimerEvents& events, MemoryClock& clock, std::int32_t interval)
    : m_Events(events), m_Clock(clock), m_Interval(interval) {
    m_Clock.Add(this);
}

MemoryTimer::~MemoryTimer() {
    m_Clock.Remove(this);
}

void MemoryTimer::SetEnabled(bool enabled) {
    m_Enabled = enabled;
    if (enabled)
        Restart();
}

void MemoryTimer::SetInterval(std::int32_t milliseconds) {
    m_Interval = milliseconds;
    if (m_Enabled)
        Restart();
}

void MemoryTimer::Restart() {
    m_Due = m_Clock.Now() + std::max(m_Interval, 1);
}

void MemoryTimer::Fire() {
    m_Events.OnTimer();
}

void MemoryTimer::Reschedule(std::int64_t firedAt) {
    // A handler that left the interval alone gets the next period.
    if (m_Enabled && m_Due == firedAt)
        m_Due += std::max(m_Interval, 1);
}

void MemoryClock::Remove(MemoryTimer* timer) {
    m_Timers.erase(std::remove(m_Timers.begin(), m_Timers.end(), timer), m_Timers.end());
}

void MemoryClock::Advance(std::int64_t milliseconds) {
    const std::int64_t end = m_Now + milliseconds;
    for (;;) {
        MemoryTimer* next = nullptr;
        for (MemoryTimer* timer : m_Timers)
            if (timer->Enabled() && timer->Due() <= end && (!next || timer->Due() < next->Due()))
                next = timer;
        if (!next)
            break;
        m_Now = next->Due();
        next->Fire();
        // The tick's handler may have destroyed the timer.
        if (std::find(m_Timers.begin(), m_Timers.end(), next) != m_Timers.end())
            next->Reschedule(m_Now);
    }
    m_Now = end;
}

} // namespace quillomet::memory
