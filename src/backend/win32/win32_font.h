#pragma once

#include "server/com/com_ptr.h"
#include "toolkit/font.h"

#include <ocidl.h>
#include <olectl.h>

namespace quillomet::win32 {

// The standard OLE font object as the core's font.
class Win32Font final : public FontObject {
public:
    explicit Win32Font(com::com_ptr<IFont> font) : m_Font(std::move(font)) {}

    // MS Sans Serif 8.25 pt, for a control without a host font.
    static std::shared_ptr<Win32Font> Default();
    // The font behind an automation object, or null when it is none.
    static std::shared_ptr<Win32Font> FromUnknown(IUnknown* object);

    Variant DefaultValue() const override;
    FontRef Clone() const override;
    bool SameAs(const FontObject& other) const override;

    IFont* Font() const { return m_Font.get(); }
    HFONT Handle() const;

private:
    com::com_ptr<IFont> m_Font;
};

} // namespace quillomet::win32
