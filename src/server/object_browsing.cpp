// What a designer's property browser shows beside the type library: the
// font and the system colours in words, and a list of pictures for Format.
#include "backend/win32/win32_font.h"
#include "control/designer_text.h"
#include "control/persisted_properties.h"
#include "control/property_keys.h"
#include "server/control_object.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"

#include <string>
#include <vector>

namespace quillomet {
namespace {

DISPID DispidOf(const char* key) {
    return FindPersistedProperty(key)->m_Dispid;
}

// "Tahoma, 8 pt, bold", in a new text the caller frees; null for what is no
// font.
BSTR DescribeFont(IUnknown* object) {
    com::com_ptr<IFont> font;
    if (!object || FAILED(object->QueryInterface(IID_IFont, font.put_void())))
        return nullptr;
    const win32::FontAttributes read(font.get());
    const std::string face = WideToUtf8(read.name);
    return Utf8ToBstr(
        FontDescription({face, read.size.int64, read.bold != FALSE, read.italic != FALSE,
                         read.underline != FALSE, read.strikethrough != FALSE}));
}

} // namespace

// Other properties the browser shows as it reads them.
STDMETHODIMP ControlObject::GetDisplayString(DISPID id, BSTR* text) noexcept {
    return Enter([&]() -> HRESULT {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        Ready(); // as for any property read, the first use initialises a new control
        if (id == DispidOf(keys::Font)) {
            com::com_ptr<IFontDisp> font;
            com::ThrowIfFailed(get_Font(font.put()));
            *text = DescribeFont(font.get());
        } else {
            const std::string_view name =
                SystemColorName(id == DispidOf(keys::BackColor)   ? m_Control.BackColor()
                                : id == DispidOf(keys::ForeColor) ? m_Control.ForeColor()
                                                                  : 0);
            *text = name.empty() ? nullptr : Utf8ToBstr(name);
        }
        return *text ? S_OK : E_NOTIMPL;
    });
}

// The control has no property pages of its own: the browser edits each
// property in place.
STDMETHODIMP ControlObject::MapPropertyToPage(DISPID, CLSID* page) noexcept {
    if (!page)
        return E_POINTER;
    *page = CLSID_NULL;
    return PERPROP_E_NOPAGEAVAILABLE;
}

// Format's list: the common pictures, each with an example; the cookie is
// the picture's place in the list.
STDMETHODIMP ControlObject::GetPredefinedStrings(DISPID id, CALPOLESTR* strings,
                                                 CADWORD* cookies) noexcept {
    return Enter([&]() -> HRESULT {
        if (!strings || !cookies)
            return E_POINTER;
        *strings = {};
        *cookies = {};
        if (id != DispidOf(keys::Format))
            return E_NOTIMPL;
        // The examples first: what may throw is done before anything is
        // handed out.
        std::vector<std::string> examples;
        for (const std::string_view picture : CommonPictures())
            examples.push_back(PictureExample(picture));
        const auto count = static_cast<ULONG>(examples.size());
        auto* texts = static_cast<LPOLESTR*>(CoTaskMemAlloc(count * sizeof(LPOLESTR)));
        auto* places = static_cast<DWORD*>(CoTaskMemAlloc(count * sizeof(DWORD)));
        bool complete = texts && places;
        for (ULONG i = 0; complete && i < count; ++i) {
            texts[i] = Utf8ToCoTaskMem(examples[i]);
            places[i] = i;
            if (!texts[i]) {
                while (i)
                    CoTaskMemFree(texts[--i]);
                complete = false;
            }
        }
        if (!complete) {
            CoTaskMemFree(texts);
            CoTaskMemFree(places);
            return E_OUTOFMEMORY;
        }
        *strings = {count, texts};
        *cookies = {count, places};
        return S_OK;
    });
}

STDMETHODIMP ControlObject::GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) noexcept {
    return Enter([&]() -> HRESULT {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        if (id != DispidOf(keys::Format))
            return E_NOTIMPL;
        const auto pictures = CommonPictures();
        if (cookie >= pictures.size())
            return E_INVALIDARG;
        V_BSTR(value) = Utf8ToBstr(pictures[cookie]);
        V_VT(value) = VT_BSTR;
        return S_OK;
    });
}

} // namespace quillomet
