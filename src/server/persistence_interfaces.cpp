// Settings in a structured storage: the stream "Contents", in the same
// format as IPersistStreamInit uses.
#include "server/control_object_class.h"

namespace quillomet {
namespace {

constexpr wchar_t ContentsStream[] = L"Contents";

} // namespace

STDMETHODIMP ControlObject::InitNew(IStorage* storage) noexcept {
    if (!storage)
        return E_POINTER;
    if (m_Loaded)
        return CO_E_ALREADYINITIALIZED;
    return InitNew();
}

STDMETHODIMP ControlObject::Load(IStorage* storage) noexcept try {
    const win32::StandardFloatingPoint standardFloatingPoint;
    const KeepAlive keepAlive(this);
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
} catch (...) {
    return com::ToHresult();
}

STDMETHODIMP ControlObject::Save(IStorage* storage, BOOL) noexcept try {
    const win32::StandardFloatingPoint standardFloatingPoint;
    const KeepAlive keepAlive(this);
    if (!storage)
        return E_POINTER;
    com::com_ptr<IStream> stream;
    com::ThrowIfFailed(storage->CreateStream(
        ContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.put()));
    return Save(stream.get(), TRUE);
} catch (...) {
    return com::ToHresult();
}

STDMETHODIMP ControlObject::SaveCompleted(IStorage*) noexcept {
    return S_OK;
}
STDMETHODIMP ControlObject::HandsOffStorage() noexcept {
    return S_OK;
}

} // namespace quillomet
