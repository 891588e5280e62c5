#pragma once

#include "toolkit/container.h"
#include "win32com/com_ptr.h"
#include "win32com/unique_variant.h"

#include <ocidl.h>
#include <oleidl.h>

#include <memory>

namespace quillomet {

// What the site passes on to the object the control is.
class SiteOwner {
public:
    virtual void OnPropertyChanged(std::string_view key) = 0;
    virtual void Raise(EventId event, std::span<Variant> arguments) = 0;
    // The control set its own size.
    virtual void FitWindow() = 0;

protected:
    ~SiteOwner() = default;
};

// The core's container over a COM host: its client site, ambient
// properties and extender when it has them, sensible defaults when the
// control is used with no container at all (a script's CreateObject).
class SiteContainer final : public Container {
public:
    explicit SiteContainer(SiteOwner& owner) : m_Owner(owner) {}

    void SetClientSite(IOleClientSite* site) { m_Site = com::com_ptr<IOleClientSite>(site); }
    // The control's own dispatch interface, not owned: members the host's
    // extender does not know are the control's own.
    // The control itself, for names its host's extender does not know; the
    // control clears it when it ends, and every copy handed out sees that.
    void SetSelf(IDispatch* self) {
        m_Self = self;
        m_SelfAlive = self ? std::make_shared<const int>(0) : nullptr;
    }
    IOleClientSite* ClientSite() const { return m_Site.get(); }

    void PropertyChanged(std::string_view key) override { m_Owner.OnPropertyChanged(key); }
    FontRef AmbientFont() override;
    std::string AmbientDisplayName() override;
    // The host is designing its form (UserMode false) or has stopped its
    // program (UIDead true). A host without these ambients runs the control.
    bool AmbientDesignMode();
    ExtenderRef Extender() override;
    std::int32_t Width() override { return m_Width; }
    std::int32_t Height() override { return m_Height; }
    void SetWidth(std::int32_t twips) override;
    void SetHeight(std::int32_t twips) override;
    std::int32_t ScaleWidth() override { return m_Width; }
    std::int32_t ScaleHeight() override { return m_Height; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    void RaiseEvent(EventId event, std::span<Variant> arguments) override {
        m_Owner.Raise(event, arguments);
    }

    bool Enabled() const { return m_Enabled; }
    // The size the container gives the control, without reporting it back.
    void SetSize(std::int32_t width, std::int32_t height) {
        m_Width = width;
        m_Height = height;
    }

private:
    // An ambient property of the host; empty when it has none.
    com::unique_variant Ambient(DISPID id);
    // An ambient flag of the host; `absent` when it has none.
    bool AmbientFlag(DISPID id, bool absent);
    SiteOwner& m_Owner;
    com::com_ptr<IOleClientSite> m_Site;
    IDispatch* m_Self = nullptr;
    std::shared_ptr<const int> m_SelfAlive;
    std::int32_t m_Width = 1740;
    std::int32_t m_Height = 300;
    bool m_Enabled = true;
};

} // namespace quillomet
