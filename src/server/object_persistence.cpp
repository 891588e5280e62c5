// The control's settings kept by a host: in a property bag, a stream, or a
// structured storage (its stream "Contents", in the stream's format).
#include "common/scope_exit.h"
#include "server/control_object.h"
#include "server/persistence.h"
#include "win32com/error.h"

#include <utility>

namespace quillomet {
namespace {

constexpr wchar_t ContentsStream[] = L"Contents";

} // namespace

// Its windows went with the thread it was made on, and with them what was
// typed: a value written now would be dropped, one read would be none, so
// every use fails and says why. Only releasing it is left.
void ControlObject::RefuseIfThreadEnded() const {
    if (m_Control.ThreadEnded())
        throw com::HresultError(RPC_E_WRONG_THREAD,
                                "The thread that made this control has ended, and its windows "
                                "with it: the control can no longer be used, only released.");
}

void ControlObject::Ready() {
    RefuseIfThreadEnded();
    if (m_Initialised)
        return;
    m_Initialised = true;
    m_Control.InitProperties();
    m_Control.OnResize();
}

// What loading writes is the document's, not a change to save: the control
// is clean afterwards, also when the document was damaged.
void ControlObject::LoadFrom(FunctionRef<void(Quillomet&)> load) {
    RefuseIfThreadEnded();
    m_Initialised = true;
    const scope_exit clean([this] { m_Dirty = false; });
    FollowAmbientMode();
    load(m_Control);
    m_Control.OnResize();
    // A load that failed left a new control, which a host may then
    // initialise as new.
    m_Loaded = true;
}

STDMETHODIMP ControlObject::GetClassID(CLSID* clsid) noexcept {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_Quillomet;
    return S_OK;
}

// A designer may load again, but a loaded control is no new one. A new
// control is a change to save: a host that saves only what says it is dirty
// (a form recreated for another view) would otherwise lose it.
STDMETHODIMP ControlObject::InitNew() noexcept {
    if (m_Loaded)
        return E_UNEXPECTED;
    return Enter([&] {
        Ready(); // the first use initialises a new instance
        FollowAmbientMode();
        m_Dirty = true;
        return S_OK;
    });
}

STDMETHODIMP ControlObject::IsDirty() noexcept {
    return m_Dirty ? S_OK : S_FALSE;
}

// --- IPersistPropertyBag -----------------------------------------------------

STDMETHODIMP ControlObject::Load(IPropertyBag* bag, IErrorLog* log) noexcept {
    return Enter([&] {
        if (!bag)
            return E_POINTER;
        LoadFrom([&](Quillomet& control) { LoadFromBag(control, bag, log); });
        return S_OK;
    });
}

STDMETHODIMP ControlObject::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) noexcept {
    return Enter([&] {
        if (!bag)
            return E_POINTER;
        Ready();
        SaveToBag(m_Control, bag);
        if (clearDirty)
            m_Dirty = false;
        return S_OK;
    });
}

// --- IPersistStreamInit ------------------------------------------------------

STDMETHODIMP ControlObject::Load(IStream* stream) noexcept {
    return Enter([&] {
        if (!stream)
            return E_POINTER;
        LoadFrom([&](Quillomet& control) { LoadFromStream(control, stream); });
        return S_OK;
    });
}

STDMETHODIMP ControlObject::Save(IStream* stream, BOOL clearDirty) noexcept {
    return Enter([&] {
        if (!stream)
            return E_POINTER;
        Ready();
        SaveToStream(m_Control, stream);
        if (clearDirty)
            m_Dirty = false;
        return S_OK;
    });
}

STDMETHODIMP ControlObject::GetSizeMax(ULARGE_INTEGER* size) noexcept {
    return Enter([&] {
        if (!size)
            return E_POINTER;
        Ready();
        size->QuadPart = StreamSize(m_Control);
        return S_OK;
    });
}

// --- IPersistStorage ---------------------------------------------------------

STDMETHODIMP ControlObject::InitNew(IStorage* storage) noexcept {
    if (!storage)
        return E_POINTER;
    if (m_Loaded)
        return CO_E_ALREADYINITIALIZED;
    return InitNew();
}

STDMETHODIMP ControlObject::Load(IStorage* storage) noexcept {
    return Enter([&] {
        if (!storage)
            return E_POINTER;
        com::com_ptr<IStream> stream;
        const HRESULT hr = storage->OpenStream(ContentsStream, nullptr,
                                               STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.put());
        if (FAILED(hr)) {
            LoadFrom([](Quillomet& control) { control.ResetToNew(); });
            m_Loaded = false; // nothing was loaded: a new control
            return hr;
        }
        return Load(stream.get());
    });
}

STDMETHODIMP ControlObject::Save(IStorage* storage, BOOL) noexcept {
    return Enter([&] {
        if (!storage)
            return E_POINTER;
        com::com_ptr<IStream> stream;
        com::ThrowIfFailed(storage->CreateStream(
            ContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()));
        // Clean once the container says the save is complete: its commit
        // may still fail.
        const HRESULT saved = Save(stream.get(), FALSE);
        m_SavedToStorage = SUCCEEDED(saved);
        return saved;
    });
}

STDMETHODIMP ControlObject::SaveCompleted(IStorage*) noexcept {
    if (std::exchange(m_SavedToStorage, false))
        m_Dirty = false;
    return S_OK;
}

STDMETHODIMP ControlObject::HandsOffStorage() noexcept {
    return S_OK;
}

} // namespace quillomet
