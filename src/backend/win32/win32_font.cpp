#include "backend/win32/win32_font.h"

#include "server/com/error.h"
#include "server/text_conversion.h"

namespace quillomet::win32 {

std::shared_ptr<Win32Font> Win32Font::Default() {
    FONTDESC description{sizeof description};
    description.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
    description.cySize.int64 = 82500; // 8.25 points, in ten-thousandths
    description.sWeight = FW_NORMAL;
    description.sCharset = DEFAULT_CHARSET;
    com::com_ptr<IFont> font;
    com::ThrowIfFailed(OleCreateFontIndirect(&description, IID_IFont, font.put_void()));
    return std::make_shared<Win32Font>(std::move(font));
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
    BSTR name = nullptr;
    com::ThrowIfFailed(m_Font->get_Name(&name));
    std::string text = BstrToUtf8(name);
    SysFreeString(name);
    return text;
}

FontRef Win32Font::Clone() const {
    com::com_ptr<IFont> copy;
    com::ThrowIfFailed(m_Font->Clone(copy.put()));
    return std::make_shared<Win32Font>(std::move(copy));
}

bool Win32Font::SameAs(const FontObject& other) const {
    const auto* font = dynamic_cast<const Win32Font*>(&other);
    return font && m_Font->IsEqual(font->m_Font.get()) == S_OK;
}

HFONT Win32Font::Handle() const {
    HFONT handle = nullptr;
    m_Font->get_hFont(&handle);
    return handle;
}

} // namespace quillomet::win32
