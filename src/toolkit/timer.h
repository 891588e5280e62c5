#pragma once

#include <cstdint>

namespace quillomet {

class TimerEvents {
public:
    virtual void OnTimer() = 0;

protected:
    ~TimerEvents() = default;
};

// A repeating timer. Enabling it, or changing its interval while enabled,
// starts the count afresh.
class Timer {
public:
    virtual ~Timer() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::int32_t Interval() const = 0;
    virtual void SetInterval(std::int32_t milliseconds) = 0;
};

} // namespace quillomet
