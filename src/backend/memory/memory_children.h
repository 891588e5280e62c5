#pragma once

#include "toolkit/geometry.h"
#include "toolkit/image.h"
#include "toolkit/spinner.h"
#include "toolkit/timer.h"

#include <cstdint>
#include <vector>

namespace quillomet::memory {

class MemoryClock;

class MemorySpinner final : public Spinner {
public:
    MemorySpinner(SpinnerEvents& events, const Geometry& geometry)
        : m_Events(events), m_Geometry(geometry) {}

    void SetVisible(bool visible) override { m_Visible = visible; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    std::int32_t Left() const override { return m_Geometry.left; }
    void SetLeft(std::int32_t twips) override { m_Geometry.left = twips; }
    std::int32_t Width() const override { return m_Geometry.width; }
    std::int32_t Height() const override { return m_Geometry.height; }
    void SetHeight(std::int32_t twips) override { m_Geometry.height = twips; }

    // The user's side: a press and a release on the upper or lower half.
    void MouseDown(float y, std::int16_t button = mouse::Left);
    void MouseUp(float y, std::int16_t button = mouse::Left);
    void MouseMove(float y);

    bool IsVisible() const { return m_Visible; }
    bool IsEnabled() const { return m_Enabled; }
    const Geometry& GetGeometry() const { return m_Geometry; }

private:
    SpinnerEvents& m_Events;
    Geometry m_Geometry;
    bool m_Visible = true;
    bool m_Enabled = true;
};

class MemoryImage final : public Image {
public:
    MemoryImage(ImageEvents* events, const Geometry& geometry, Glyph glyph, bool visible);

    void SetVisible(bool visible) override { m_Visible = visible; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    std::int32_t Left() const override { return m_Geometry.left; }
    void SetLeft(std::int32_t twips) override { m_Geometry.left = twips; }
    std::int32_t Width() const override { return m_Geometry.width; }
    void SetWidth(std::int32_t twips) override { m_Geometry.width = twips; }
    void SetHeight(std::int32_t twips) override { m_Geometry.height = twips; }
    PictureRef Picture() const override { return m_Picture; }
    void SetPicture(PictureRef picture) override { m_Picture = std::move(picture); }

    // The user's side.
    void MouseDown(float x = 30, float y = 30, std::int16_t button = mouse::Left);
    void MouseUp(float x = 30, float y = 30, std::int16_t button = mouse::Left);
    void Click();

    bool IsVisible() const { return m_Visible; }
    bool IsEnabled() const { return m_Enabled; }
    const Geometry& GetGeometry() const { return m_Geometry; }

private:
    ImageEvents* m_Events;
    Geometry m_Geometry;
    bool m_Visible;
    bool m_Enabled = true;
    PictureRef m_Picture;
};

// A glyph as a picture object, so tests can tell which one is shown.
class MemoryPicture final : public PictureObject {
public:
    explicit MemoryPicture(Glyph glyph) : m_Glyph(glyph) {}
    const Glyph m_Glyph;
};

// A timer on the toolkit's simulated clock.
class MemoryTimer final : public Timer {
public:
    MemoryTimer(TimerEvents& events, MemoryClock& clock, std::int32_t interval);
    ~MemoryTimer() override;

    bool Enabled() const override { return m_Enabled; }
    void SetEnabled(bool enabled) override;
    std::int32_t Interval() const override { return m_Interval; }
    void SetInterval(std::int32_t milliseconds) override;

    std::int64_t Due() const { return m_Due; }
    void Fire();
    void Reschedule(std::int64_t firedAt);

private:
    void Restart();

    TimerEvents& m_Events;
    MemoryClock& m_Clock;
    std::int32_t m_Interval;
    bool m_Enabled = false;
    std::int64_t m_Due = 0;
};

// Simulated time: timers fire only when a test advances it.
class MemoryClock {
public:
    std::int64_t Now() const { return m_Now; }
    void Add(MemoryTimer* timer) { m_Timers.push_back(timer); }
    void Remove(MemoryTimer* timer);
    // Moves time on by `milliseconds`, firing every tick that falls due on
    // the way, in order.
    void Advance(std::int64_t milliseconds);

private:
    std::int64_t m_Now = 0;
    std::vector<MemoryTimer*> m_Timers;
};

} // namespace quillomet::memory
