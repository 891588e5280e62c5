#pragma once

// The Quillomet COM object: the core control behind its interfaces. Each
// family of interfaces is implemented in a file of its own:
//   object_dispatch.cpp      IDispatch, _Quillomet, IProvideClassInfo2, ISupportErrorInfo
//   object_events.cpp        IConnectionPointContainer, events and change notices
//   object_embedding.cpp     IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl
//   object_persistence.cpp   IPersistPropertyBag, IPersistStreamInit, IPersistStorage
//   object_view.cpp          IViewObject2 and IDataObject: the control's picture
//   object_accessibility.cpp the window's screen-reader object and its name
//   object_safety.cpp        IObjectSafety: what untrusted data and callers may do
//   object_browsing.cpp      IPerPropertyBrowsing: a property browser's texts and lists
//   control_object.cpp       the object's life and what its windows tell it
// Every method that does any work enters through Enter, which holds the rules
// for a call from a host (win32::EnterFromHost).
#include "backend/win32/host_entry.h"
#include "backend/win32/win32_toolkit.h"
#include "control/quillomet.h"
#include "ordinalex.h"
#include "server/connection_point.h"
#include "server/control_accessible.h"
#include "server/diagnostics.h"
#include "server/site_container.h"
#include "win32com/com_object.h"

#include <objsafe.h>
#include <olectl.h>

#include <span>
#include <string>
#include <string_view>

// The system's header names no identifier for __uuidof.
__CRT_UUID_DECL(IObjectSafety, 0xcb5bdc81, 0x93c1, 0x11cf, 0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0,
                0x64)

namespace quillomet {

// Makes a new Quillomet control and returns its interface `iid`.
HRESULT CreateControlObject(REFIID iid, void** object);

class ControlObject final
    : public com::ComObject<ControlObject, _Quillomet, IProvideClassInfo2, ISupportErrorInfo,
                            IConnectionPointContainer, IPersistPropertyBag, IPersistStreamInit,
                            IPersistStorage, IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject,
                            IOleControl, IViewObject2, IDataObject, IObjectSafety,
                            IPerPropertyBrowsing, IQuillometDiagnostics>,
      private SiteOwner,
      private win32::WindowOwner,
      private AccessibleSource {
public:
    ControlObject();
    ~ControlObject() override;

    void* QueryExtra(REFIID iid) noexcept;

    // --- IDispatch, through the type library (object_dispatch.cpp) ----------
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                               DISPID* ids) noexcept override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) noexcept override;

    // --- _Quillomet (object_dispatch.cpp) -----------------------------------
    STDMETHODIMP get_SkipFocus(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_SkipFocus(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_Calculator(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_Calculator(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_UpDownFunction(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_UpDownFunction(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_UpDownIncrement(short* v) noexcept override;
    STDMETHODIMP put_UpDownIncrement(short v) noexcept override;
    STDMETHODIMP get_value(VARIANT* v) noexcept override;
    STDMETHODIMP put_value(VARIANT v) noexcept override;
    STDMETHODIMP get_MaxValue(VARIANT* v) noexcept override;
    STDMETHODIMP put_MaxValue(VARIANT v) noexcept override;
    STDMETHODIMP get_MinValue(VARIANT* v) noexcept override;
    STDMETHODIMP put_MinValue(VARIANT v) noexcept override;
    STDMETHODIMP get_UseMaxMinValues(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_UseMaxMinValues(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_Format(BSTR* v) noexcept override;
    STDMETHODIMP put_Format(BSTR v) noexcept override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_PositiveOnly(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_PositiveOnly(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_BackColor(OLE_COLOR* v) noexcept override;
    STDMETHODIMP put_BackColor(OLE_COLOR v) noexcept override;
    STDMETHODIMP get_ForeColor(OLE_COLOR* v) noexcept override;
    STDMETHODIMP put_ForeColor(OLE_COLOR v) noexcept override;
    STDMETHODIMP get_Locked(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP put_Locked(VARIANT_BOOL v) noexcept override;
    STDMETHODIMP get_GotFocus(VARIANT_BOOL* v) noexcept override;
    STDMETHODIMP get_hwnd(LONG* v) noexcept override;
    STDMETHODIMP get_Font(IFontDisp** v) noexcept override;
    STDMETHODIMP putref_Font(IFontDisp* v) noexcept override;
    STDMETHODIMP Refresh() noexcept override;
    STDMETHODIMP Highlight() noexcept override;
    STDMETHODIMP ShowCalculator() noexcept override;
    STDMETHODIMP HideCalculator() noexcept override;
    STDMETHODIMP DisplayAboutBox() noexcept override;

    // --- IProvideClassInfo2, ISupportErrorInfo (object_dispatch.cpp) --------
    STDMETHODIMP GetClassInfo(ITypeInfo** info) noexcept override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) noexcept override;
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) noexcept override;

    // --- IConnectionPointContainer (object_events.cpp) ----------------------
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override;

    // --- IPersist* (object_persistence.cpp) ---------------------------------
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;
    STDMETHODIMP InitNew() noexcept override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) noexcept override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept override;
    STDMETHODIMP IsDirty() noexcept override;
    STDMETHODIMP Load(IStream* stream) noexcept override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) noexcept override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) noexcept override;
    STDMETHODIMP InitNew(IStorage* storage) noexcept override;
    STDMETHODIMP Load(IStorage* storage) noexcept override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) noexcept override;
    STDMETHODIMP SaveCompleted(IStorage* storage) noexcept override;
    STDMETHODIMP HandsOffStorage() noexcept override;

    // --- IQuillometDiagnostics (control_object.cpp) -------------------------
    STDMETHODIMP LiveGdiObjects(LONG* count) noexcept override;

    // --- IOleObject (object_embedding.cpp) ----------------------------------
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

    // --- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject -------------
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

    // --- IOleControl (object_embedding.cpp) ---------------------------------
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) noexcept override;
    STDMETHODIMP OnMnemonic(MSG*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) noexcept override;
    STDMETHODIMP FreezeEvents(BOOL freeze) noexcept override;

    // --- IViewObject2 (object_view.cpp) -------------------------------------
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

    // --- IDataObject (object_view.cpp) --------------------------------------
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept override;
    STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) noexcept override;
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) noexcept override;
    STDMETHODIMP DUnadvise(DWORD connection) noexcept override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) noexcept override;

    // --- IObjectSafety (object_safety.cpp) ----------------------------------
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                           DWORD* enabled) noexcept override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options) noexcept override;

    // --- IPerPropertyBrowsing (object_browsing.cpp) -------------------------
    STDMETHODIMP GetDisplayString(DISPID id, BSTR* text) noexcept override;
    STDMETHODIMP MapPropertyToPage(DISPID id, CLSID* page) noexcept override;
    STDMETHODIMP GetPredefinedStrings(DISPID id, CALPOLESTR* strings,
                                      CADWORD* cookies) noexcept override;
    STDMETHODIMP GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) noexcept override;

private:
    // Every call from a host that does any work runs through here.
    HRESULT Enter(FunctionRef<HRESULT()> work) noexcept {
        return win32::EnterFromHost(static_cast<_Quillomet*>(this), work);
    }
    // A control used before the host initialised or loaded it (a script's
    // CreateObject) starts as a new instance.
    void Ready();
    void RefuseIfThreadEnded() const;

    // Property reads and writes of _Quillomet (object_dispatch.cpp).
    template <typename T, typename Read>
    HRESULT Get(T* result, Read read) noexcept;
    template <typename Read>
    HRESULT GetVariant(VARIANT* result, Read read) noexcept;
    template <typename Write>
    HRESULT Put(Write write) noexcept;

    // Loading counts as the host's start-up notification (object_persistence.cpp).
    void LoadFrom(FunctionRef<void(Quillomet&)> load);

    // The control's picture in `bounds` of `dc` (object_view.cpp).
    void DrawPicture(HDC dc, const RECT& bounds);
    // A host that keeps the control's picture hears that it changed.
    void PictureChanged();

    // What the core's container reports (object_events.cpp).
    void OnPropertyChanged(std::string_view key) override;
    void Raise(EventId event, std::span<Variant> arguments) override;
    void FitWindow() override;

    // The window's notifications into the control (control_object.cpp).
    void ConnectWindow();
    void DisconnectWindow();
    void Retain() override { AddRef(); }
    void Relinquish() override { Release(); }
    void WindowGotFocus(HWND previous) override;
    void WindowLostFocus(HWND next) override;
    void FocusEntered() override { m_Control.OnEnterFocus(); }
    void FocusLeft() override { m_Control.OnExitFocus(); }
    void PostedAction(WPARAM action) override;
    void WindowDestroyed() override;

    // The screen reader's object (object_accessibility.cpp).
    LRESULT AccessibleObject(WPARAM wParam, LPARAM lParam) override;
    std::wstring AccessibleName() override;
    bool PostDefaultAction(DefaultAction action) override;
    Quillomet& Control() override { return m_Control; }
    win32::Win32Toolkit& Toolkit() override { return m_Toolkit; }

    // Embedding (object_embedding.cpp).
    HRESULT ActivateInPlace(bool uiActivate);
    // The site's window and the control's place in it; the frame is kept.
    HRESULT ReadPlace(IOleInPlaceSite& site, HWND& parent, RECT& position, RECT& clip);
    void ParkWindow();
    // The control follows the host between designing and running.
    void FollowAmbientMode();
    com::com_ptr<IOleInPlaceSite> InPlaceSite() const;

    win32::Win32Toolkit m_Toolkit;
    SiteContainer m_Container;
    Quillomet m_Control;
    com::com_ptr<ConnectionPoint> m_Events;
    com::com_ptr<ConnectionPoint> m_PropertyNotify;
    bool m_Initialised = false;
    bool m_Loaded = false;
    bool m_Dirty = false;
    // IPersistStorage::Save wrote the state; SaveCompleted makes it clean.
    bool m_SavedToStorage = false;
    // Made on the first question, kept while the window lasts.
    com::com_ptr<ControlAccessible> m_Accessible;
    bool m_InPlaceActive = false;
    bool m_UIActive = false;
    // Inside the site's OnPosRectChange: its SetObjectRects is its answer.
    bool m_AskingForPlace = false;
    // In-place active, and the host destroyed the window it stood in.
    bool m_PlaceLost = false;
    int m_FreezeCount = 0;
    com::com_ptr<IOleAdviseHolder> m_AdviseHolder;
    com::com_ptr<IAdviseSink> m_ViewSink;
    com::com_ptr<IDataAdviseHolder> m_DataAdviseHolder;
    DWORD m_ViewAspects = 0;
    DWORD m_ViewFlags = 0;
    // The interfaces a host made safe for untrusted data, a bit each.
    unsigned m_SafeForData = 0;
    com::com_ptr<IOleInPlaceFrame> m_Frame;
};

} // namespace quillomet
