// The control's picture for a host that draws it itself (printing, design
// views), and the host's view advise.
#include "backend/win32/win32_font.h"
#include "server/control_object.h"
#include "win32com/device_context.h"
#include "win32com/error.h"
#include "win32com/gdi_objects.h"

namespace quillomet {

// The display form as the field shows it, for a container that draws the
// control itself (printing, design views).
STDMETHODIMP ControlObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw,
                                 LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                 ULONG_PTR) noexcept {
    return Enter([&]() -> HRESULT {
        if (aspect != DVASPECT_CONTENT)
            return DV_E_DVASPECT;
        if (!draw || !bounds)
            return E_INVALIDARG;
        if (!com::IsDeviceContext(draw))
            throw com::HresultError(E_INVALIDARG, "Draw needs a device context to draw on");
        Ready();
        const com::saved_dc_state kept(draw); // the host's DC as it was, after
        RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
        COLORREF back = 0, fore = 0;
        OleTranslateColor(m_Control.BackColor(), nullptr, &back);
        OleTranslateColor(m_Control.ForeColor(), nullptr, &fore);
        FillRect(draw, &r, com::unique_hbrush(CreateSolidBrush(back)).get());
        HFONT font = nullptr;
        // The field's font as it is: asking the control would make a shared
        // copy its own, for a drawing that only reads it.
        const FontRef shown = m_Toolkit.Field() ? m_Toolkit.Field()->Font() : nullptr;
        if (const auto* f = dynamic_cast<const win32::Win32Font*>(shown.get()))
            font = f->Handle();
        if (font)
            SelectObject(draw, font);
        SetTextColor(draw, fore);
        SetBkMode(draw, TRANSPARENT);
        // From the field itself: a control that is only drawn needs no windows.
        const std::wstring text = m_Toolkit.Field() ? m_Toolkit.Field()->WideText() : L"";
        r.right -= 2;
        DrawTextW(draw, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
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

STDMETHODIMP ControlObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
    return GetExtent(aspect, size);
}

} // namespace quillomet
