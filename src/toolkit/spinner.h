#pragma once

#include "toolkit/mouse_events.h"

#include <cstdint>

namespace quillomet {

class SpinnerEvents : public MouseEvents {
protected:
    ~SpinnerEvents() = default;
};

// The up-down spinner, used only for its mouse notifications and placement;
// on Win32 the common up-down control.
class Spinner {
public:
    virtual ~Spinner() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::int32_t Left() const = 0;
    virtual void SetLeft(std::int32_t twips) = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
};

} // namespace quillomet
