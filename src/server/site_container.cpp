#include "server/site_container.h"

#include "backend/win32/win32_font.h"
#include "server/com/error.h"
#include "server/text_conversion.h"
#include "server/variant_conversion.h"

#include <olectl.h>

namespace quillomet {
namespace {

// The host-side object of the control, its members reached by name.
class DispatchExtender final : public ExtenderObject {
public:
    explicit DispatchExtender(com::com_ptr<IDispatch> dispatch) : m_Dispatch(std::move(dispatch)) {}

    Variant GetProperty(std::string_view name) override {
        DISPID id = 0;
        if (!Find(name, id))
            return {};
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        if (FAILED(m_Dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &none, &result, nullptr, nullptr)))
            return {};
        Variant value = FromVariant(result);
        VariantClear(&result);
        return value;
    }

    void SetProperty(std::string_view name, const Variant& value) override {
        DISPID id = 0;
        if (!Find(name, id))
            return;
        VARIANT argument;
        ToVariant(value, &argument);
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&argument, &named, 1, 1};
        const HRESULT hr =
            m_Dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                               nullptr, nullptr, nullptr);
        VariantClear(&argument);
        com::ThrowIfFailed(hr);
    }

    void Invoke(std::string_view method) override {
        DISPID id = 0;
        if (!Find(method, id))
            return;
        DISPPARAMS none{};
        com::ThrowIfFailed(m_Dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                              &none, nullptr, nullptr, nullptr));
    }

private:
    bool Find(std::string_view name, DISPID& id) {
        std::wstring wide = Utf8ToWide(name);
        LPOLESTR names[] = {wide.data()};
        return SUCCEEDED(m_Dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    }

    com::com_ptr<IDispatch> m_Dispatch;
};

} // namespace

SiteContainer::SiteContainer(ChangeHandler changed, EventHandler raise, ResizeHandler resized)
    : m_Changed(std::move(changed)), m_Raise(std::move(raise)), m_Resized(std::move(resized)) {}

// The host's font, or a default one for a control that has no host.
FontRef SiteContainer::AmbientFont() {
    if (auto ambient = m_Site.try_as<IDispatch>()) {
        DISPPARAMS none{};
        VARIANT result;
        VariantInit(&result);
        if (SUCCEEDED(ambient->Invoke(DISPID_AMBIENT_FONT, IID_NULL, LOCALE_USER_DEFAULT,
                                      DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr)) &&
            (V_VT(&result) == VT_DISPATCH || V_VT(&result) == VT_UNKNOWN)) {
            auto font = win32::Win32Font::FromUnknown(V_UNKNOWN(&result));
            VariantClear(&result);
            if (font)
                return font;
        }
        VariantClear(&result);
    }
    return win32::Win32Font::Default();
}

ExtenderRef SiteContainer::Extender() {
    auto controlSite = m_Site.try_as<IOleControlSite>();
    if (!controlSite)
        return nullptr;
    com::com_ptr<IDispatch> extender;
    if (FAILED(controlSite->GetExtendedControl(extender.put())) || !extender)
        return nullptr;
    return std::make_shared<DispatchExtender>(std::move(extender));
}

void SiteContainer::SetWidth(std::int32_t twips) {
    m_Width = twips;
    m_Resized();
}

void SiteContainer::SetHeight(std::int32_t twips) {
    m_Height = twips;
    m_Resized();
}

} // namespace quillomet
