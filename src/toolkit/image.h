#pragma once

#include "common/variant.h"
#include "toolkit/mouse_events.h"

#include <cstdint>
#include <memory>

namespace quillomet {

// A picture object, shared by reference between the controls showing it.
class PictureObject : public Object {
public:
    Variant DefaultValue() const override { return std::int32_t{0}; }
};
using PictureRef = std::shared_ptr<PictureObject>;

// The pictures the control carries as resources.
enum class Glyph { Calculator, CalculatorGrey };

class ImageEvents : public MouseEvents {
public:
    virtual void OnClick() = 0;
    virtual void OnDblClick() = 0;

protected:
    ~ImageEvents() = default;
};

// A windowless picture control, its picture stretched to its size; the
// composite paints it and hit-tests it.
class Image {
public:
    virtual ~Image() = default;
    virtual void SetVisible(bool visible) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::int32_t Left() const = 0;
    virtual void SetLeft(std::int32_t twips) = 0;
    virtual std::int32_t Width() const = 0;
    virtual void SetWidth(std::int32_t twips) = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
    virtual PictureRef Picture() const = 0;
    virtual void SetPicture(PictureRef picture) = 0;
};

} // namespace quillomet
