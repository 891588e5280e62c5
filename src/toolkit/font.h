#pragma once

#include "common/variant.h"

#include <memory>

namespace quillomet {

// The standard font object that host and text box share by reference.
class FontObject : public Object {
public:
    // A separate object with the same attributes.
    virtual std::shared_ptr<FontObject> Clone() const = 0;
    // Whether the two show text alike (name, size, weight, style).
    virtual bool SameAs(const FontObject& other) const = 0;
};
using FontRef = std::shared_ptr<FontObject>;

} // namespace quillomet
