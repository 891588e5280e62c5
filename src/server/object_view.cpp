// The control's picture for hosts that draw it themselves: designers
// (a control never activated), print preview and printing, report sections,
// a second view of a document (IViewObject2::Draw), and documents that keep
// a metafile of it (IDataObject::GetData). Both draw from the control's
// state, never by copying its window.
#include "backend/win32/control_picture.h"
#include "backend/win32/screen_units.h"
#include "server/control_object.h"
#include "win32com/com_object.h"
#include "win32com/device_context.h"
#include "win32com/error.h"

#include <array>

namespace quillomet {
namespace {

bool IsDrawnAspect(DWORD aspect) {
    return aspect == DVASPECT_CONTENT || aspect == DVASPECT_DOCPRINT;
}

// A target device the host describes must at least hold its own header.
bool IsValidTargetDevice(const DVTARGETDEVICE* device) {
    return !device || device->tdSize >= sizeof(DVTARGETDEVICE) - sizeof(device->tdData);
}

// The formats the control renders, content aspect only.
constexpr std::array<FORMATETC, 2> RenderedFormats = {{
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
    {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
}};

// The rendered format a request asks for, or null with the reason.
const FORMATETC* RenderedFormat(const FORMATETC* format, HRESULT& refusal) {
    refusal = DV_E_FORMATETC;
    if (!format) {
        refusal = E_INVALIDARG;
        return nullptr;
    }
    if (format->dwAspect != DVASPECT_CONTENT) {
        refusal = DV_E_DVASPECT;
        return nullptr;
    }
    if (format->lindex != -1) {
        refusal = DV_E_LINDEX;
        return nullptr;
    }
    for (const FORMATETC& rendered : RenderedFormats)
        if (format->cfFormat == rendered.cfFormat) {
            if (!(format->tymed & rendered.tymed)) {
                refusal = DV_E_TYMED;
                return nullptr;
            }
            return &rendered;
        }
    return nullptr;
}

// The formats of GetData, for a host that asks which there are.
class FormatEnumerator final : public com::ComObject<FormatEnumerator, IEnumFORMATETC> {
public:
    void* QueryExtra(REFIID) noexcept { return nullptr; }
    STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) noexcept override {
        if (!formats || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < count && m_Next < RenderedFormats.size(); ++given)
            formats[given] = RenderedFormats[m_Next++];
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) noexcept override {
        const std::size_t left = RenderedFormats.size() - m_Next;
        m_Next += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override {
        m_Next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC** clone) noexcept override {
        if (!clone)
            return E_POINTER;
        auto copy = com::make<FormatEnumerator>();
        copy->m_Next = m_Next;
        *clone = copy.detach();
        return S_OK;
    }

private:
    std::size_t m_Next = 0;
};

// Hundredths of a millimetre from twips.
LONG Himetric(std::int32_t twips) {
    return MulDiv(twips, 2540, 1440);
}

} // namespace

void ControlObject::DrawPicture(HDC dc, const RECT& bounds) {
    Ready();
    win32::DrawControlPicture(dc, bounds, m_Control.CurrentAppearance(), m_Toolkit.Window().Dpi());
}

void ControlObject::PictureChanged() {
    const com::com_ptr<ControlObject> keepAlive(this); // a sink may release us
    if (m_ViewSink && (m_ViewAspects & (DVASPECT_CONTENT | DVASPECT_DOCPRINT))) {
        const com::com_ptr<IAdviseSink> sink = m_ViewSink;
        if (m_ViewFlags & ADVF_ONLYONCE)
            m_ViewSink.reset();
        sink->OnViewChange(DVASPECT_CONTENT, -1);
    }
    if (m_DataAdviseHolder)
        m_DataAdviseHolder->SendOnDataChange(static_cast<IDataObject*>(this), 0, 0);
}

// --- IViewObject2 ------------------------------------------------------------

STDMETHODIMP ControlObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE* device, HDC, HDC draw,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) noexcept {
    return Enter([&]() -> HRESULT {
        if (!IsDrawnAspect(aspect))
            return DV_E_DVASPECT;
        if (!draw || !bounds)
            return E_INVALIDARG;
        if (!com::IsDeviceContext(draw))
            throw com::HresultError(E_INVALIDARG, "Draw needs a device context to draw on");
        if (bounds->right <= bounds->left || bounds->bottom <= bounds->top)
            throw com::HresultError(E_INVALIDARG, "Draw needs bounds with an area");
        if (!IsValidTargetDevice(device))
            return DV_E_DVTARGETDEVICE;
        DrawPicture(draw, {bounds->left, bounds->top, bounds->right, bounds->bottom});
        return S_OK;
    });
}

STDMETHODIMP ControlObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept {
    m_ViewAspects = aspects;
    m_ViewFlags = flags;
    m_ViewSink = com::com_ptr<IAdviseSink>(sink);
    return S_OK;
}

STDMETHODIMP ControlObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept {
    if (aspects)
        *aspects = m_ViewAspects;
    if (flags)
        *flags = m_ViewFlags;
    if (sink)
        m_ViewSink.copy_to(sink);
    return S_OK;
}

// The extent the host gave, as IOleObject keeps it.
STDMETHODIMP ControlObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
    return GetExtent(aspect, size);
}

// --- IDataObject -------------------------------------------------------------

// A metafile of the control at its extent: enhanced in device units of the
// screen with its frame in HIMETRIC, or old-style with its extent in
// HIMETRIC and its own window extent, so that it plays back at any size.
STDMETHODIMP ControlObject::GetData(FORMATETC* format, STGMEDIUM* medium) noexcept {
    return Enter([&]() -> HRESULT {
        if (!medium)
            return E_POINTER;
        *medium = {};
        HRESULT refusal = S_OK;
        const FORMATETC* rendered = RenderedFormat(format, refusal);
        if (!rendered)
            return refusal;
        Ready();
        const int dpi = m_Toolkit.Window().Dpi();
        const RECT pixels{0, 0, win32::TwipsToPixels(m_Container.Width(), dpi),
                          win32::TwipsToPixels(m_Container.Height(), dpi)};
        const LONG width = Himetric(m_Container.Width()), height = Himetric(m_Container.Height());
        if (rendered->tymed == TYMED_ENHMF) {
            const com::unique_window_dc screen(nullptr);
            const RECT frame = com::ScreenMetafileFrame(screen.get(), pixels.right, pixels.bottom);
            HDC dc = CreateEnhMetaFileW(screen.get(), nullptr, &frame, L"Quillomet\0Quillomet\0");
            if (!dc)
                com::ThrowIfFailed(E_OUTOFMEMORY);
            try {
                DrawPicture(dc, pixels);
            } catch (...) {
                DeleteEnhMetaFile(CloseEnhMetaFile(dc));
                throw;
            }
            medium->hEnhMetaFile = CloseEnhMetaFile(dc);
            if (!medium->hEnhMetaFile)
                com::ThrowIfFailed(E_OUTOFMEMORY);
            medium->tymed = TYMED_ENHMF;
            return S_OK;
        }
        HDC dc = CreateMetaFileW(nullptr);
        if (!dc)
            com::ThrowIfFailed(E_OUTOFMEMORY);
        HMETAFILE metafile = nullptr;
        try {
            SetWindowOrgEx(dc, 0, 0, nullptr);
            SetWindowExtEx(dc, pixels.right, pixels.bottom, nullptr);
            DrawPicture(dc, pixels);
        } catch (...) {
            DeleteMetaFile(CloseMetaFile(dc));
            throw;
        }
        metafile = CloseMetaFile(dc);
        HGLOBAL global = metafile ? GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT)) : nullptr;
        auto* picture = global ? static_cast<METAFILEPICT*>(GlobalLock(global)) : nullptr;
        if (!picture) {
            if (global)
                GlobalFree(global);
            if (metafile)
                DeleteMetaFile(metafile);
            com::ThrowIfFailed(E_OUTOFMEMORY);
        }
        *picture = {MM_ANISOTROPIC, width, height, metafile};
        GlobalUnlock(global);
        medium->hMetaFilePict = global;
        medium->tymed = TYMED_MFPICT;
        return S_OK;
    });
}

// No rendering fills a medium the host made: a metafile is always new.
STDMETHODIMP ControlObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) noexcept {
    if (!format || !medium)
        return E_INVALIDARG;
    return DV_E_FORMATETC;
}

STDMETHODIMP ControlObject::QueryGetData(FORMATETC* format) noexcept {
    HRESULT refusal = S_OK;
    return RenderedFormat(format, refusal) ? S_OK : refusal;
}

STDMETHODIMP ControlObject::GetCanonicalFormatEtc(FORMATETC* format,
                                                  FORMATETC* canonical) noexcept {
    if (!format || !canonical)
        return E_INVALIDARG;
    *canonical = *format;
    canonical->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP ControlObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) noexcept {
    return Enter([&]() -> HRESULT {
        if (!formats)
            return E_POINTER;
        *formats = nullptr;
        if (direction != DATADIR_GET)
            return E_NOTIMPL;
        *formats = com::make<FormatEnumerator>().detach();
        return S_OK;
    });
}

STDMETHODIMP ControlObject::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                    DWORD* connection) noexcept {
    return Enter([&]() -> HRESULT {
        if (!connection)
            return E_POINTER;
        *connection = 0;
        HRESULT refusal = S_OK;
        if (!format || !sink)
            return E_INVALIDARG;
        if (!RenderedFormat(format, refusal))
            return refusal;
        if (!m_DataAdviseHolder)
            com::ThrowIfFailed(CreateDataAdviseHolder(m_DataAdviseHolder.put()));
        return m_DataAdviseHolder->Advise(static_cast<IDataObject*>(this), format, flags, sink,
                                          connection);
    });
}

STDMETHODIMP ControlObject::DUnadvise(DWORD connection) noexcept {
    return m_DataAdviseHolder ? m_DataAdviseHolder->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP ControlObject::EnumDAdvise(IEnumSTATDATA** advise) noexcept {
    if (!advise)
        return E_POINTER;
    *advise = nullptr;
    // Nobody advised yet: nothing to list.
    return m_DataAdviseHolder ? m_DataAdviseHolder->EnumAdvise(advise) : S_OK;
}

} // namespace quillomet
