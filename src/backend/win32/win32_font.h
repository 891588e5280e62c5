#pragma once

#include "toolkit/font.h"
#include "win32com/com_ptr.h"
#include "win32com/gdi_objects.h"

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <memory>
#include <string>

namespace quillomet::win32 {

// What decides how a font object shows text, read from it. Compared
// attribute by attribute: IFont::IsEqual is not dependable across
// implementations.
struct FontAttributes {
    explicit FontAttributes(IFont* font);
    bool operator==(const FontAttributes& other) const;

    std::wstring name;
    CY size{};
    BOOL bold = FALSE, italic = FALSE, underline = FALSE, strikethrough = FALSE;
    SHORT weight = 0, charset = 0;
};

// The standard OLE font object as the core's font.
class Win32Font final : public FontObject {
public:
    explicit Win32Font(com::com_ptr<IFont> font) : m_Font(std::move(font)) {}

    // The thread's shared MS Sans Serif 8.25 pt (a shared copy, never handed
    // out), for controls whose host gives no font.
    static std::shared_ptr<Win32Font> Default();
    // The font behind an automation object, or null when it is none.
    static std::shared_ptr<Win32Font> FromUnknown(IUnknown* object);

    Variant DefaultValue() const override;
    FontRef Clone() const override;
    FontRef SharedCopy() const override;
    bool IsSharedCopy() const override { return m_Shared; }
    bool SameAs(const FontObject& other) const override;

    IFont* Font() const { return m_Font.get(); }
    HFONT Handle() const;
    // The same font made for `dpi` pixels per inch, for a window whose
    // resolution is not the screen's the font object realises for.
    com::unique_hfont AtResolution(int dpi) const;
    // The font a window of `dpi` shows: the realised one at the screen's
    // resolution, else the one made for `dpi`, which `own` then holds.
    HFONT ForResolution(int dpi, com::unique_hfont& own) const;

private:
    com::com_ptr<IFont> m_Font;
    bool m_Shared = false;
};

// Hears of every change made to a font object (its property-change
// notifications) until it is destroyed.
class FontWatcher {
public:
    static std::shared_ptr<FontWatcher> Watch(IFont* font, std::function<void()> changed);
    ~FontWatcher();
    FontWatcher(const FontWatcher&) = delete;
    FontWatcher& operator=(const FontWatcher&) = delete;

private:
    FontWatcher() = default;
    com::com_ptr<IConnectionPoint> m_Point;
    com::com_ptr<IPropertyNotifySink> m_Sink;
    DWORD m_Cookie = 0;
};

} // namespace quillomet::win32
