#pragma once

// The Quillomet COM object: the core control behind its interfaces. The
// interface families are implemented in their own files: automation here,
// embedding in ole_embedding.cpp, persistence in persistence_interfaces.cpp.
#include "backend/win32/floating_point.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/variant_conversion.h"
#include "backend/win32/win32_font.h"
#include "backend/win32/win32_text_box.h"
#include "backend/win32/win32_toolkit.h"
#include "common/automation_error.h"
#include "control/persisted_properties.h"
#include "control/quillomet.h"
#include "ordinalex.h"
#include "server/connection_point.h"
#include "server/control_accessible.h"
#include "server/diagnostics.h"
#include "server/persistence.h"
#include "server/site_container.h"
#include "server/type_info.h"
#include "win32com/com_object.h"
#include "win32com/error.h"
#include "win32com/gdi_objects.h"
#include "win32com/text_conversion.h"
#include "win32com/unique_variant.h"

#include <olectl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string_view>

namespace quillomet {

static_assert(DispidDefaultMember == DISPID_VALUE);

inline VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The persisted property a DISPID names, or null for any other member.
inline const PersistedProperty* PersistedPropertyOf(DISPID id) {
    for (const PersistedProperty& property : PersistedProperties())
        if (property.m_Dispid == id)
            return &property;
    return nullptr;
}

// The DISPID a persisted key is notified under.
inline DISPID DispidOfKey(std::string_view key) {
    const PersistedProperty* property = FindPersistedProperty(key);
    return property ? property->m_Dispid : DISPID_UNKNOWN;
}

// The properties whose argument is a VARIANT taken as given (objects
// included), or an object itself.
inline bool TakesAnyVariant(const PersistedProperty* property) {
    return property &&
           (property->m_Type == PropertyType::Number || property->m_Type == PropertyType::Font);
}

inline bool IsObject(const VARIANT& value) {
    return V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN;
}

// Replaces an object by its default value, one level deep; an object
// without one, or whose default value is an object, is a type mismatch.
inline HRESULT ResolveDefaultValue(com::unique_variant& argument) {
    const VARIANT& value = *argument;
    com::com_ptr<IDispatch> object;
    if (!V_UNKNOWN(&value) ||
        FAILED(V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, object.put_void())))
        return DISP_E_TYPEMISMATCH;
    com::unique_variant returned, resolved;
    DISPPARAMS none{};
    // Dereferenced before it is judged: an object by reference is an object.
    if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                              &none, returned.get(), nullptr, nullptr)) ||
        FAILED(VariantCopyInd(resolved.get(), returned.get())) || IsObject(*resolved.get()))
        return DISP_E_TYPEMISMATCH;
    argument = std::move(resolved);
    return S_OK;
}

class ControlObject;
// Every call from outside holds the control for its whole duration: a host
// may release its last reference from a handler the call raises.
using KeepAlive = com::com_ptr<ControlObject>;

class ControlObject final
    : public com::ComObject<ControlObject, _Quillomet, IProvideClassInfo2, ISupportErrorInfo,
                            IConnectionPointContainer, IPersistPropertyBag, IPersistStreamInit,
                            IPersistStorage, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                            IOleControl, IViewObject2, IQuillometDiagnostics>,
      private SiteOwner,
      private win32::WindowOwner,
      private AccessibleSource {
public:
    ControlObject() : m_Container(*this), m_Control(m_Toolkit, m_Container) { ConnectWindow(); }

    ~ControlObject() override {
        DisconnectWindow();
        if (m_Accessible)
            m_Accessible->Disconnect(); // a screen reader may hold it longer
        if (m_Events)
            m_Events->Detach();
        if (m_PropertyNotify)
            m_PropertyNotify->Detach();
        m_Control.OnTerminate();
    }

    void* QueryExtra(REFIID iid) noexcept {
        if (iid == IID_IDispatch)
            return static_cast<_Quillomet*>(this);
        if (iid == IID_IProvideClassInfo)
            return static_cast<IProvideClassInfo2*>(this);
        if (iid == IID_IPersist)
            return static_cast<IPersistPropertyBag*>(this);
        if (iid == IID_IOleWindow)
            return static_cast<IOleInPlaceObject*>(this);
        if (iid == IID_IViewObject)
            return static_cast<IViewObject2*>(this);
        return nullptr;
    }

    // --- IDispatch, through the type library --------------------------------
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override try {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        *info = QuillometInterfaceInfo();
        (*info)->AddRef();
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) noexcept override try {
        return DispGetIDsOfNames(QuillometInterfaceInfo(), names, count, ids);
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        // The caller's arguments are read, never changed: a put works on a
        // copy of its argument, dereferenced.
        const PersistedProperty* persisted = PersistedPropertyOf(id);
        const bool colour = persisted && persisted->m_Type == PropertyType::Color;
        com::unique_variant argument;
        DISPPARAMS copied{};
        if (params && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) &&
            params->cArgs == 1) {
            com::ThrowIfFailed(VariantCopyInd(argument.get(), &params->rgvarg[0]));
            // A typed property converts an object through its default value,
            // which the system follows without end when an object is its own
            // default value: one level here, as `value` takes it.
            if (!TakesAnyVariant(persisted) && IsObject(*argument.get()))
                if (const HRESULT hr = ResolveDefaultValue(argument); FAILED(hr))
                    return hr;
            // Colours are 32-bit patterns: scripts know only signed Longs, so
            // a system colour (&H80000005) arrives negative and an unsigned
            // result is a type they cannot use. Both cross as the same bits.
            if (colour && V_VT(argument.get()) == VT_I4)
                V_VT(argument.get()) = VT_UI4;
            copied = {argument.get(), params->rgdispidNamedArgs, 1,
                      std::min<UINT>(params->cNamedArgs, 1)};
            params = &copied;
        }
        const HRESULT hr = DispInvoke(static_cast<_Quillomet*>(this), QuillometInterfaceInfo(), id,
                                      flags, params, result, exception, argumentError);
        if (colour && result && V_VT(result) == VT_UI4)
            V_VT(result) = VT_I4;
        return hr;
    } catch (...) {
        return com::ToHresult();
    }

    // --- _Quillomet ---------------------------------------------------------
    STDMETHODIMP get_SkipFocus(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.SkipFocus()); });
    }
    STDMETHODIMP put_SkipFocus(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetSkipFocus(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Calculator(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.Calculator()); });
    }
    STDMETHODIMP put_Calculator(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetCalculator(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_UpDownFunction(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.UpDownFunction()); });
    }
    STDMETHODIMP put_UpDownFunction(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetUpDownFunction(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_UpDownIncrement(short* v) noexcept override {
        return Get(v, [&] { return m_Control.UpDownIncrement(); });
    }
    STDMETHODIMP put_UpDownIncrement(short v) noexcept override {
        return Put([&] { m_Control.SetUpDownIncrement(v); });
    }
    STDMETHODIMP get_value(VARIANT* v) noexcept override {
        return GetVariant(v, [&] { return m_Control.Value(); });
    }
    STDMETHODIMP put_value(VARIANT v) noexcept override {
        return Put([&] { m_Control.SetValue(FromVariant(v)); });
    }
    STDMETHODIMP get_MaxValue(VARIANT* v) noexcept override {
        return GetVariant(v, [&] { return m_Control.MaxValue(); });
    }
    STDMETHODIMP put_MaxValue(VARIANT v) noexcept override {
        return Put([&] { m_Control.SetMaxValue(FromVariant(v)); });
    }
    STDMETHODIMP get_MinValue(VARIANT* v) noexcept override {
        return GetVariant(v, [&] { return m_Control.MinValue(); });
    }
    STDMETHODIMP put_MinValue(VARIANT v) noexcept override {
        return Put([&] { m_Control.SetMinValue(FromVariant(v)); });
    }
    STDMETHODIMP get_UseMaxMinValues(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.UseMaxMinValues()); });
    }
    STDMETHODIMP put_UseMaxMinValues(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetUseMaxMinValues(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_Format(BSTR* v) noexcept override {
        return Get(v, [&] { return Utf8ToBstr(m_Control.Format()); });
    }
    STDMETHODIMP put_Format(BSTR v) noexcept override {
        return Put([&] { m_Control.SetFormat(BstrToUtf8(v)); });
    }
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.Enabled()); });
    }
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetEnabled(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_PositiveOnly(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.PositiveOnly()); });
    }
    STDMETHODIMP put_PositiveOnly(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetPositiveOnly(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_BackColor(OLE_COLOR* v) noexcept override {
        return Get(v, [&] { return static_cast<OLE_COLOR>(m_Control.BackColor()); });
    }
    STDMETHODIMP put_BackColor(OLE_COLOR v) noexcept override {
        return Put([&] { m_Control.SetBackColor(v); });
    }
    STDMETHODIMP get_ForeColor(OLE_COLOR* v) noexcept override {
        return Get(v, [&] { return static_cast<OLE_COLOR>(m_Control.ForeColor()); });
    }
    STDMETHODIMP put_ForeColor(OLE_COLOR v) noexcept override {
        return Put([&] { m_Control.SetForeColor(v); });
    }
    STDMETHODIMP get_Locked(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.Locked()); });
    }
    STDMETHODIMP put_Locked(VARIANT_BOOL v) noexcept override {
        return Put([&] { m_Control.SetLocked(v != VARIANT_FALSE); });
    }
    STDMETHODIMP get_GotFocus(VARIANT_BOOL* v) noexcept override {
        return Get(v, [&] { return ToVariantBool(m_Control.GotFocus()); });
    }
    STDMETHODIMP get_hwnd(LONG* v) noexcept override {
        return Get(v, [&] { return static_cast<LONG>(m_Control.hwnd()); });
    }
    STDMETHODIMP get_Font(IFontDisp** v) noexcept override {
        return Get(v, [&]() -> IFontDisp* {
            const FontRef held = m_Control.Font();
            const auto* font = dynamic_cast<const win32::Win32Font*>(held.get());
            IFontDisp* dispatch = nullptr;
            if (font)
                font->Font()->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&dispatch));
            return dispatch;
        });
    }
    STDMETHODIMP putref_Font(IFontDisp* v) noexcept override {
        return Put([&] {
            auto font = win32::Win32Font::FromUnknown(v);
            if (!font)
                throw AutomationError(ErrorNumber::InvalidProcedureCall,
                                      "Font needs a font object");
            m_Control.SetFont(std::move(font));
        });
    }
    STDMETHODIMP Refresh() noexcept override {
        return Put([&] { m_Control.Refresh(); });
    }
    STDMETHODIMP Highlight() noexcept override {
        return Put([&] { m_Control.Highlight(); });
    }
    STDMETHODIMP ShowCalculator() noexcept override {
        return Put([&] { m_Control.ShowCalculator(); });
    }
    STDMETHODIMP HideCalculator() noexcept override {
        return Put([&] { m_Control.HideCalculator(); });
    }
    // While the modal dialog is up the container's frame is told to behave
    // modally (EnableModeless(FALSE)), and a reference keeps the control
    // alive should the host release it inside this call anyway.
    STDMETHODIMP DisplayAboutBox() noexcept override {
        return Put([&] {
            com::com_ptr<ControlObject> keepAlive(this);
            com::com_ptr<IOleInPlaceFrame> frame = m_Frame;
            if (frame)
                frame->EnableModeless(FALSE);
            struct Restore {
                com::com_ptr<IOleInPlaceFrame>& frame;
                ~Restore() {
                    if (frame)
                        frame->EnableModeless(TRUE);
                }
            } restore{frame};
            m_Control.DisplayAboutBox();
        });
    }

    // --- IProvideClassInfo2, ISupportErrorInfo -------------------------------
    STDMETHODIMP GetClassInfo(ITypeInfo** info) noexcept override try {
        if (!info)
            return E_POINTER;
        *info = QuillometClassInfo();
        (*info)->AddRef();
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) noexcept override {
        if (!guid)
            return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
            return E_INVALIDARG;
        *guid = DIID___Quillomet;
        return S_OK;
    }
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) noexcept override {
        return iid == IID__Quillomet || iid == IID_IDispatch ? S_OK : S_FALSE;
    }

    // --- IConnectionPointContainer -------------------------------------------
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override {
        if (points)
            *points = nullptr;
        return E_NOTIMPL;
    }
    // Each made when a host first asks for it: a control whose events
    // nobody hears costs nothing for them.
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override try {
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
    } catch (...) {
        return com::ToHresult();
    }

    // --- IPersist, IPersistPropertyBag, IPersistStreamInit --------------------
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_Quillomet;
        return S_OK;
    }
    // A designer may load again, but a loaded control is no new one.
    STDMETHODIMP InitNew() noexcept override {
        if (m_Loaded)
            return E_UNEXPECTED;
        const HRESULT hr = Put([] {}); // the first use initialises a new instance
        m_Dirty = false;
        return hr;
    }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        if (!bag)
            return E_POINTER;
        LoadFrom([&](Quillomet& control) { LoadFromBag(control, bag, log); });
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        if (!bag)
            return E_POINTER;
        Ready();
        SaveToBag(m_Control, bag);
        if (clearDirty)
            m_Dirty = false;
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP IsDirty() noexcept override { return m_Dirty ? S_OK : S_FALSE; }
    STDMETHODIMP Load(IStream* stream) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        if (!stream)
            return E_POINTER;
        LoadFrom([&](Quillomet& control) { LoadFromStream(control, stream); });
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        if (!stream)
            return E_POINTER;
        Ready();
        SaveToStream(m_Control, stream);
        if (clearDirty)
            m_Dirty = false;
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        if (!size)
            return E_POINTER;
        Ready();
        size->QuadPart = StreamSize(m_Control);
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }

    // --- IQuillometDiagnostics ----------------------------------------------
    STDMETHODIMP LiveGdiObjects(LONG* count) noexcept override {
        if (!count)
            return E_POINTER;
        *count = com::GdiObjects::Live();
        return S_OK;
    }

    // --- IPersistStorage (persistence_interfaces.cpp) --------------------------
    STDMETHODIMP InitNew(IStorage* storage) noexcept override;
    STDMETHODIMP Load(IStorage* storage) noexcept override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) noexcept override;
    STDMETHODIMP SaveCompleted(IStorage* storage) noexcept override;
    STDMETHODIMP HandsOffStorage() noexcept override;

    // --- IOleObject (ole_embedding.cpp) -----------------------------------------
    STDMETHODIMP SetClientSite(IOleClientSite* site) noexcept override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) noexcept override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) noexcept override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) noexcept override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                        LPCRECT position) noexcept override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) noexcept override;
    STDMETHODIMP Update() noexcept override { return S_OK; }
    STDMETHODIMP IsUpToDate() noexcept override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) noexcept override { return GetClassID(clsid); }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) noexcept override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) noexcept override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) noexcept override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) noexcept override;
    STDMETHODIMP Unadvise(DWORD connection) noexcept override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) noexcept override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) noexcept override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) noexcept override { return E_NOTIMPL; }

    // --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject -----------------
    STDMETHODIMP GetWindow(HWND* window) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() noexcept override;
    STDMETHODIMP UIDeactivate() noexcept override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) noexcept override;
    STDMETHODIMP ReactivateAndUndo() noexcept override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG message) noexcept override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) noexcept override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) noexcept override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) noexcept override {
        return S_OK;
    }
    STDMETHODIMP EnableModeless(BOOL) noexcept override { return S_OK; }

    // --- IOleControl ------------------------------------------------------------
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) noexcept override;
    STDMETHODIMP OnMnemonic(MSG*) noexcept override { return E_NOTIMPL; }
    // A host that renames the control tells of its DisplayName; a screen
    // reader hears of the new name.
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) noexcept override {
        if (id == DISPID_AMBIENT_DISPLAYNAME || id == DISPID_UNKNOWN)
            if (const HWND window = m_Toolkit.Window().Existing())
                NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
        return S_OK;
    }
    STDMETHODIMP FreezeEvents(BOOL freeze) noexcept override;

    // --- IViewObject2 -----------------------------------------------------------
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device,
                      HDC targetDevice, HDC draw, LPCRECTL bounds, LPCRECTL metafileBounds,
                      BOOL(STDMETHODCALLTYPE* keepDrawing)(ULONG_PTR),
                      ULONG_PTR keepDrawingArgument) noexcept override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                             LOGPALETTE**) noexcept override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device,
                           LPSIZEL size) noexcept override;

private:
    // A control used before the host initialised or loaded it (a script's
    // CreateObject) starts as a new instance.
    void Ready() {
        RefuseIfThreadEnded();
        if (m_Initialised)
            return;
        m_Initialised = true;
        m_Control.InitProperties();
        m_Control.OnResize();
    }

    // Loading counts as the host's start-up notification.
    // What loading writes is the document's, not a change to save: the
    // control is clean afterwards, also when the document was damaged.
    template <typename Loader>
    void LoadFrom(Loader load) {
        RefuseIfThreadEnded();
        const KeepAlive keepAlive(this); // a notified host may release it
        m_Initialised = true;
        struct Clean {
            bool& dirty;
            ~Clean() { dirty = false; }
        } clean{m_Dirty};
        load(m_Control);
        m_Control.OnResize();
        // A load that failed left a new control, which a host may then
        // initialise as new.
        m_Loaded = true;
    }

    // Its windows went with the thread it was made on, and with them what
    // was typed: a value written now would be dropped, one read would be
    // none, so every use fails and says why. Only releasing it is left.
    void RefuseIfThreadEnded() const {
        if (m_Control.ThreadEnded())
            throw com::HresultError(RPC_E_WRONG_THREAD,
                                    "The thread that made this control has ended, and its windows "
                                    "with it: the control can no longer be used, only released.");
    }

    template <typename T, typename Read>
    HRESULT Get(T* result, Read read) noexcept try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        if (!result)
            return E_POINTER;
        *result = T{};
        Ready();
        *result = read();
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }

    template <typename Read>
    HRESULT GetVariant(VARIANT* result, Read read) noexcept try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        if (!result)
            return E_POINTER;
        VariantInit(result);
        Ready();
        ToVariant(read(), result);
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }

    template <typename Write>
    HRESULT Put(Write write) noexcept try {
        const win32::StandardFloatingPoint standardFloatingPoint;
        const KeepAlive keepAlive(this);
        Ready();
        write();
        return S_OK;
    } catch (...) {
        return com::ToHresult();
    }

    void OnPropertyChanged(std::string_view key) override {
        com::com_ptr<ControlObject> keepAlive(this); // a sink may release us
        m_Dirty = true;
        if (m_ViewSink)
            m_ViewSink->OnViewChange(DVASPECT_CONTENT, -1);
        if (!m_PropertyNotify)
            return;
        const DISPID id = DispidOfKey(key);
        for (const auto& [cookie, sink] : m_PropertyNotify->Sinks())
            static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(id);
    }

    // Raises an event on every sink with the arguments by reference; what a
    // handler writes into them comes back to the control.
    void Raise(EventId event, std::span<Variant> arguments) override {
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

    void FitWindow() override {
        win32::CompositeWindow& window = m_Toolkit.Window();
        window.Resize(win32::TwipsToPixels(m_Container.Width(), window.Dpi()),
                      win32::TwipsToPixels(m_Container.Height(), window.Dpi()));
    }

    win32::Win32Toolkit m_Toolkit;
    SiteContainer m_Container;
    Quillomet m_Control;
    com::com_ptr<ConnectionPoint> m_Events;
    com::com_ptr<ConnectionPoint> m_PropertyNotify;
    bool m_Initialised = false;
    bool m_Loaded = false;
    bool m_Dirty = false;

    // The window's notifications into the control (control_object.cpp).
    void ConnectWindow();
    void DisconnectWindow();
    // What the control's windows ask of it.
    void Retain() override { AddRef(); }
    void Relinquish() override { Release(); }
    void WindowGotFocus(HWND previous) override;
    void WindowLostFocus(HWND next) override;
    void FocusEntered() override { m_Control.OnEnterFocus(); }
    void FocusLeft() override { m_Control.OnExitFocus(); }
    LRESULT AccessibleObject(WPARAM wParam, LPARAM lParam) override;
    std::wstring AccessibleName() override;
    void PostedAction(WPARAM action) override;
    bool PostDefaultAction(DefaultAction action) override {
        return m_Toolkit.Window().Post(static_cast<WPARAM>(action));
    }
    // What the accessible object asks (control_object.cpp).
    Quillomet& Control() override { return m_Control; }
    win32::Win32Toolkit& Toolkit() override { return m_Toolkit; }
    // Made on the first question, kept while the window lasts.
    com::com_ptr<ControlAccessible> m_Accessible;

    // Embedding.
    HRESULT ActivateInPlace(bool uiActivate);
    void ParkWindow();
    com::com_ptr<IOleInPlaceSite> InPlaceSite() const;
    bool m_InPlaceActive = false;
    bool m_UIActive = false;
    int m_FreezeCount = 0;
    com::com_ptr<IOleAdviseHolder> m_AdviseHolder;
    com::com_ptr<IAdviseSink> m_ViewSink;
    DWORD m_ViewAspects = 0;
    DWORD m_ViewFlags = 0;
    com::com_ptr<IOleInPlaceFrame> m_Frame;
};

} // namespace quillomet
