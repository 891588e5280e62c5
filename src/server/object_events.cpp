// Events to the host's sinks and change notices to its property browser,
// through the connection points the host asks for.
#include "backend/win32/screen_units.h"
#include "control/persisted_properties.h"
#include "server/control_object.h"

#include <algorithm>
#include <array>

namespace quillomet {
namespace {

// The DISPID a persisted key is notified under.
DISPID DispidOfKey(std::string_view key) {
    const PersistedProperty* property = FindPersistedProperty(key);
    return property ? property->m_Dispid : DISPID_UNKNOWN;
}

} // namespace

// --- IConnectionPointContainer -------------------------------------------
STDMETHODIMP ControlObject::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
    if (points)
        *points = nullptr;
    return E_NOTIMPL;
}
// Each made when a host first asks for it: a control whose events
// nobody hears costs nothing for them.
STDMETHODIMP ControlObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
    return Enter([&]() -> HRESULT {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        com::com_ptr<ConnectionPoint>* held = nullptr;
        if (iid == DIID___Quillomet)
            held = &m_Events;
        else if (iid == IID_IPropertyNotifySink)
            held = &m_PropertyNotify;
        else
            return CONNECT_E_NOCONNECTION;
        if (!*held)
            *held = com::make<ConnectionPoint>(this, iid);
        *point = held->get();
        (*point)->AddRef();
        return S_OK;
    });
}

void ControlObject::OnPropertyChanged(std::string_view key) {
    com::com_ptr<ControlObject> keepAlive(this); // a sink may release us
    m_Dirty = true;
    PictureChanged();
    if (!m_PropertyNotify)
        return;
    const DISPID id = DispidOfKey(key);
    for (const auto& [cookie, sink] : m_PropertyNotify->Sinks())
        static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(id);
}

// Raises an event on every sink with the arguments by reference; what a
// handler writes into them comes back to the control.
void ControlObject::Raise(EventId event, std::span<Variant> arguments) {
    // A frozen host gets no events: a by-reference key code could not
    // be honoured later.
    if (m_FreezeCount > 0 || !m_Events)
        return;
    std::array<short, 4> shorts{};
    std::array<float, 4> floats{};
    std::array<VARIANT, 4> references{};
    const std::size_t count = std::min<std::size_t>(arguments.size(), 4);
    for (std::size_t i = 0; i < count; ++i) {
        // DISPPARAMS holds the arguments last first.
        VARIANT& reference = references[count - 1 - i];
        VariantInit(&reference);
        if (arguments[i].Type() == VariantType::Single) {
            floats[i] = static_cast<float>(arguments[i].ToDouble());
            V_VT(&reference) = VT_R4 | VT_BYREF;
            V_R4REF(&reference) = &floats[i];
        } else {
            shorts[i] = arguments[i].ToInteger();
            V_VT(&reference) = VT_I2 | VT_BYREF;
            V_I2REF(&reference) = &shorts[i];
        }
    }
    DISPPARAMS params{references.data(), nullptr, static_cast<UINT>(count), 0};
    com::com_ptr<ControlObject> keepAlive(this); // a handler may release us
    for (const auto& [cookie, sink] : m_Events->Sinks())
        static_cast<IDispatch*>(sink.get())
            ->Invoke(static_cast<DISPID>(event), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                     &params, nullptr, nullptr, nullptr);
    for (std::size_t i = 0; i < count; ++i) {
        if (arguments[i].Type() == VariantType::Single)
            arguments[i] = floats[i];
        else
            arguments[i] = static_cast<std::int16_t>(shorts[i]);
    }
}

void ControlObject::FitWindow() {
    win32::CompositeWindow& window = m_Toolkit.Window();
    window.Resize(win32::TwipsToPixels(m_Container.Width(), window.Dpi()),
                  win32::TwipsToPixels(m_Container.Height(), window.Dpi()));
}

} // namespace quillomet
