#include "server/site_container.h"

#include "backend/win32/variant_conversion.h"
#include "backend/win32/win32_font.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_variant.h"

#include <olectl.h>

namespace quillomet {
namespace {

// The host-side object of the control, its members reached by name.
class DispatchExtender final : public ExtenderObject {
public:
    explicit DispatchExtender(com::com_ptr<IDispatch> dispatch)
        : m_Owned(std::move(dispatch)), m_Dispatch(m_Owned.get()) {}
    // Without a reference: the control itself, which clears every holder
    // of this object when it terminates, and must not be kept alive by it.
    // A copy kept past the control's end (a busy calculator's) finds it
    // gone through `alive` and does nothing.
    static std::shared_ptr<DispatchExtender> Unowned(IDispatch* dispatch,
                                                     std::weak_ptr<const void> alive) {
        auto extender = std::make_shared<DispatchExtender>(com::com_ptr<IDispatch>());
        extender->m_Dispatch = dispatch;
        extender->m_Alive = std::move(alive);
        return extender;
    }

    // Whether the object has a member of that name.
    bool Has(std::string_view name) {
        DISPID id = 0;
        return Alive() && Find(name, id);
    }

    Variant GetProperty(std::string_view name) override {
        if (!Alive())
            return {};
        const com::com_ptr<IDispatch> hold(m_Dispatch); // alive for the call
        DISPID id = 0;
        if (!Find(name, id))
            return {};
        DISPPARAMS none{};
        com::unique_variant result;
        if (FAILED(m_Dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                      &none, result.put(), nullptr, nullptr)))
            return {};
        return FromVariant(*result);
    }

    void SetProperty(std::string_view name, const Variant& value) override {
        if (!Alive())
            return;
        const com::com_ptr<IDispatch> hold(m_Dispatch); // a Change handler may release it
        DISPID id = 0;
        if (!Find(name, id))
            return;
        PutProperty(m_Dispatch, id, value);
    }

    void Invoke(std::string_view method) override {
        if (!Alive())
            return;
        const com::com_ptr<IDispatch> hold(m_Dispatch);
        DISPID id = 0;
        if (!Find(method, id))
            return;
        DISPPARAMS none{};
        com::ThrowIfFailed(m_Dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                              &none, nullptr, nullptr, nullptr));
    }

private:
    bool Alive() const { return m_Owned || !m_Alive.expired(); }
    bool Find(std::string_view name, DISPID& id) {
        std::wstring wide = Utf8ToWide(name);
        LPOLESTR names[] = {wide.data()};
        return SUCCEEDED(m_Dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    }

    com::com_ptr<IDispatch> m_Owned;
    IDispatch* m_Dispatch;
    std::weak_ptr<const void> m_Alive;
};

// The host's extender where it knows a name, the control's own members
// where it does not: a host without an extender (or with one that does not
// pass calls on) still reaches the control by name.
class ExtenderWithFallback final : public ExtenderObject {
public:
    ExtenderWithFallback(std::shared_ptr<DispatchExtender> host,
                         std::shared_ptr<DispatchExtender> self)
        : m_Host(std::move(host)), m_Self(std::move(self)) {}

    Variant GetProperty(std::string_view name) override { return For(name).GetProperty(name); }
    void SetProperty(std::string_view name, const Variant& value) override {
        For(name).SetProperty(name, value);
    }
    void Invoke(std::string_view method) override { For(method).Invoke(method); }

private:
    DispatchExtender& For(std::string_view name) {
        return (m_Host && (m_Host->Has(name) || !m_Self)) ? *m_Host : *m_Self;
    }
    std::shared_ptr<DispatchExtender> m_Host;
    std::shared_ptr<DispatchExtender> m_Self;
};

} // namespace

com::unique_variant SiteContainer::Ambient(DISPID id) {
    com::unique_variant result;
    if (auto ambient = m_Site.try_as<IDispatch>()) {
        DISPPARAMS none{};
        if (FAILED(ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                   result.put(), nullptr, nullptr)))
            result.reset();
    }
    return result;
}

// The host's font, or a default one for a control that has no host.
FontRef SiteContainer::AmbientFont() {
    const com::unique_variant font = Ambient(DISPID_AMBIENT_FONT);
    if (V_VT(font.get()) == VT_DISPATCH || V_VT(font.get()) == VT_UNKNOWN)
        if (auto ambient = win32::Win32Font::FromUnknown(V_UNKNOWN(font.get())))
            return ambient;
    return win32::Win32Font::Default();
}

std::string SiteContainer::AmbientDisplayName() {
    const com::unique_variant name = Ambient(DISPID_AMBIENT_DISPLAYNAME);
    return V_VT(name.get()) == VT_BSTR ? BstrToUtf8(V_BSTR(name.get())) : std::string();
}

bool SiteContainer::AmbientFlag(DISPID id, bool absent) {
    com::unique_variant flag = Ambient(id);
    if (V_VT(flag.get()) == VT_EMPTY ||
        FAILED(VariantChangeType(flag.get(), flag.get(), 0, VT_BOOL)))
        return absent;
    return V_BOOL(flag.get()) != VARIANT_FALSE;
}

bool SiteContainer::AmbientDesignMode() {
    return !AmbientFlag(DISPID_AMBIENT_USERMODE, true) || AmbientFlag(DISPID_AMBIENT_UIDEAD, false);
}

ExtenderRef SiteContainer::Extender() {
    std::shared_ptr<DispatchExtender> host;
    if (auto controlSite = m_Site.try_as<IOleControlSite>()) {
        com::com_ptr<IDispatch> extender;
        if (SUCCEEDED(controlSite->GetExtendedControl(extender.put())) && extender)
            host = std::make_shared<DispatchExtender>(std::move(extender));
    }
    std::shared_ptr<DispatchExtender> self;
    if (m_Self)
        self = DispatchExtender::Unowned(m_Self, m_SelfAlive);
    if (!host && !self)
        return nullptr;
    return std::make_shared<ExtenderWithFallback>(std::move(host), std::move(self));
}

void SiteContainer::SetWidth(std::int32_t twips) {
    m_Width = twips;
    m_Owner.FitWindow();
}

void SiteContainer::SetHeight(std::int32_t twips) {
    m_Height = twips;
    m_Owner.FitWindow();
}

} // namespace quillomet
