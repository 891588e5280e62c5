#include "backend/win32/win32_font.h"

#include "backend/win32/screen_units.h"
#include "backend/win32/window_owners.h"
#include "win32com/com_object.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_bstr.h"

#include <cwchar>
#include <string>

namespace quillomet::win32 {

// The thread's shared copy (see SharedCopy), made once and gone with the
// thread's last control: reading a new font's attributes would make the
// system realise it, which costs the first control of a process most of
// its initialisation. Kept where the shared fonts are, not in a C++
// thread_local, whose destructor would keep the library from being freed.
std::shared_ptr<Win32Font> Win32Font::Default() {
    ThreadWindows& thread = ThreadWindows::Current();
    std::weak_ptr<Win32Font>& kept = thread.DefaultFont();
    if (auto font = kept.lock())
        return font;
    FONTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
    description.cySize.int64 = 82500; // 8.25 points, in ten-thousandths
    description.sWeight = FW_NORMAL;
    description.sCharset = DEFAULT_CHARSET;
    com::com_ptr<IFont> font;
    com::ThrowIfFailed(OleCreateFontIndirect(&description, IID_IFont, font.put_void()));
    auto shared = std::make_shared<Win32Font>(std::move(font));
    shared->m_Shared = true;
    thread.SharedFonts().push_back(shared);
    kept = shared;
    return shared;
}

std::shared_ptr<Win32Font> Win32Font::FromUnknown(IUnknown* object) {
    if (!object)
        return nullptr;
    com::com_ptr<IFont> font;
    if (FAILED(object->QueryInterface(IID_IFont, font.put_void())))
        return nullptr;
    return std::make_shared<Win32Font>(std::move(font));
}

Variant Win32Font::DefaultValue() const {
    com::unique_bstr name;
    com::ThrowIfFailed(m_Font->get_Name(name.put()));
    return BstrToUtf8(name.get());
}

FontRef Win32Font::Clone() const {
    com::com_ptr<IFont> copy;
    com::ThrowIfFailed(m_Font->Clone(copy.put()));
    return std::make_shared<Win32Font>(std::move(copy));
}

FontAttributes::FontAttributes(IFont* font) {
    com::unique_bstr text;
    if (SUCCEEDED(font->get_Name(text.put())) && text)
        name.assign(text.get(), SysStringLen(text.get()));
    font->get_Size(&size);
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strikethrough);
    font->get_Weight(&weight);
    font->get_Charset(&charset);
}

bool FontAttributes::operator==(const FontAttributes& o) const {
    return _wcsicmp(name.c_str(), o.name.c_str()) == 0 && size.int64 == o.size.int64 &&
           !bold == !o.bold && !italic == !o.italic && !underline == !o.underline &&
           !strikethrough == !o.strikethrough && weight == o.weight && charset == o.charset;
}

bool Win32Font::SameAs(const FontObject& other) const {
    const auto* font = dynamic_cast<const Win32Font*>(&other);
    return font == this ||
           (font && FontAttributes(m_Font.get()) == FontAttributes(font->m_Font.get()));
}

// Kept per thread, as fonts belong to their apartment; the last control
// showing one releases it.
FontRef Win32Font::SharedCopy() const {
    auto& fonts = ThreadWindows::Current().SharedFonts();
    std::erase_if(fonts, [](const std::weak_ptr<Win32Font>& font) { return font.expired(); });
    if (m_Shared) // one of them already
        for (const auto& entry : fonts)
            if (auto font = entry.lock(); font.get() == this)
                return font;
    const FontAttributes wanted(m_Font.get());
    for (const auto& entry : fonts)
        if (auto font = entry.lock(); font && FontAttributes(font->m_Font.get()) == wanted)
            return font;
    com::com_ptr<IFont> copy;
    com::ThrowIfFailed(m_Font->Clone(copy.put()));
    auto font = std::make_shared<Win32Font>(std::move(copy));
    font->m_Shared = true;
    fonts.push_back(font);
    return font;
}

namespace {

class FontChangeSink final : public com::ComObject<FontChangeSink, IPropertyNotifySink> {
public:
    explicit FontChangeSink(std::function<void()> changed) : m_Changed(std::move(changed)) {}
    void Disconnect() { m_Changed = nullptr; }
    STDMETHODIMP OnChanged(DISPID) noexcept override {
        try {
            if (m_Changed)
                m_Changed();
        } catch (...) {
        }
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) noexcept override { return S_OK; }

private:
    std::function<void()> m_Changed;
};

} // namespace

std::shared_ptr<FontWatcher> FontWatcher::Watch(IFont* font, std::function<void()> changed) {
    std::shared_ptr<FontWatcher> watcher(new FontWatcher());
    com::com_ptr<IConnectionPointContainer> points;
    if (FAILED(font->QueryInterface(IID_IConnectionPointContainer, points.put_void())) ||
        FAILED(points->FindConnectionPoint(IID_IPropertyNotifySink, watcher->m_Point.put())))
        return watcher; // a font that tells nothing: nothing to follow
    auto sink = com::make<FontChangeSink>(std::move(changed));
    watcher->m_Sink = com::com_ptr<IPropertyNotifySink>(sink.get());
    if (FAILED(watcher->m_Point->Advise(watcher->m_Sink.get(), &watcher->m_Cookie)))
        watcher->m_Cookie = 0;
    return watcher;
}

FontWatcher::~FontWatcher() {
    if (m_Sink)
        static_cast<FontChangeSink*>(m_Sink.get())->Disconnect();
    if (m_Point && m_Cookie)
        m_Point->Unadvise(m_Cookie);
}

HFONT Win32Font::Handle() const {
    HFONT handle = nullptr;
    m_Font->get_hFont(&handle);
    return handle;
}

// The realised font's every attribute but its height, which comes from the
// size in points at `dpi`; null when the font object has no font to give.
com::unique_hfont Win32Font::AtResolution(int dpi) const {
    LOGFONTW description{};
    CY size{};
    const HFONT realised = Handle();
    if (!realised || !GetObjectW(realised, sizeof description, &description) ||
        FAILED(m_Font->get_Size(&size)))
        return {};
    // Negative: the character's height; the size is in ten-thousandths of
    // a point.
    description.lfHeight = -MulDiv(static_cast<int>(size.int64), dpi, 72 * 10000);
    description.lfWidth = 0;
    return com::unique_hfont(CreateFontIndirectW(&description));
}

HFONT Win32Font::ForResolution(int dpi, com::unique_hfont& own) const {
    own.reset();
    if (dpi != ScreenDpi())
        own = AtResolution(dpi);
    return own ? own.get() : Handle();
}

} // namespace quillomet::win32
