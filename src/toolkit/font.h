#pragma once

#include "common/variant.h"

#include <memory>

namespace quillomet {

// The standard font object that host and text box share by reference.
class FontObject : public Object {
public:
    // A separate object with the same attributes.
    virtual std::shared_ptr<FontObject> Clone() const = 0;
    // A copy held together by this thread's controls that show the same
    // font: a form of many controls costs one font, not one each. Nothing
    // outside the controls holds it, so nothing changes it; a control hands
    // out its own Clone instead.
    virtual std::shared_ptr<FontObject> SharedCopy() const = 0;
    virtual bool IsSharedCopy() const = 0;
    // Whether the two show text alike (name, size, weight, style).
    virtual bool SameAs(const FontObject& other) const = 0;
};
using FontRef = std::shared_ptr<FontObject>;

} // namespace quillomet
