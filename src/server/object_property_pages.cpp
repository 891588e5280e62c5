// The control's property pages as a host reaches them: the list of pages
// (ISpecifyPropertyPages), the verbs the control lists, and the system's
// property frame the Properties verb opens.
#include "common/scope_exit.h"
#include "server/class_factory.h"
#include "server/class_ids.h"
#include "server/control_object.h"
#include "win32com/text_conversion.h"

#include <array>
#include <new>

namespace quillomet {
namespace {

constexpr std::size_t PageCount = PageClassIds.size();

// The control's own verbs, not the registry's, so that a control without
// registration lists them too.
class VerbEnumerator final : public com::ComObject<VerbEnumerator, IEnumOLEVERB> {
public:
    STDMETHODIMP Next(ULONG count, OLEVERB* verbs, ULONG* fetched) noexcept override {
        if (!verbs || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        for (; given < count && m_Next < std::size(class_facts::Verbs); ++given, ++m_Next) {
            const class_facts::Verb& verb = class_facts::Verbs[m_Next];
            verbs[given] = {verb.number, Utf8ToCoTaskMem(verb.menuText), MF_STRING,
                            OLEVERBATTRIB_ONCONTAINERMENU};
            if (!verbs[given].lpszVerbName) {
                while (given)
                    CoTaskMemFree(verbs[--given].lpszVerbName);
                return E_OUTOFMEMORY;
            }
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) noexcept override {
        const std::size_t left = std::size(class_facts::Verbs) - m_Next;
        m_Next += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() noexcept override {
        m_Next = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumOLEVERB** clone) noexcept override {
        if (!clone)
            return E_POINTER;
        auto* copy = new (std::nothrow) VerbEnumerator; // its one reference, as make gives
        if (copy)
            copy->m_Next = m_Next;
        *clone = copy;
        return copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::size_t m_Next = 0;
};

} // namespace

STDMETHODIMP ControlObject::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
    if (!verbs)
        return E_POINTER;
    *verbs = new (std::nothrow) VerbEnumerator; // its one reference, as make gives
    return *verbs ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ControlObject::GetPages(CAUUID* pages) noexcept {
    if (!pages)
        return E_POINTER;
    *pages = {};
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof PageClassIds));
    if (!pages->pElems)
        return E_OUTOFMEMORY;
    std::copy(PageClassIds.begin(), PageClassIds.end(), pages->pElems);
    pages->cElems = PageCount;
    return S_OK;
}

// The frame creates the pages by their classes. While it is open they are
// also this apartment's own classes, so that a control the registry does
// not know (registration-free, or loaded by its path) opens them too.
// The host's frame behaves modally meanwhile, as for the about box.
HRESULT ControlObject::ShowPropertyPages(HWND owner) {
    if (const auto site = InPlaceSite(); !owner && site)
        site->GetWindow(&owner);
    const com::com_ptr<IOleInPlaceFrame> frame = m_Frame;
    if (frame)
        frame->EnableModeless(FALSE);
    const scope_exit modeless([&] {
        if (frame)
            frame->EnableModeless(TRUE);
    });
    std::array<DWORD, PageCount> registrations{};
    const scope_exit revoke([&] {
        for (const DWORD registration : registrations)
            if (registration)
                CoRevokeClassObject(registration);
    });
    for (std::size_t i = 0; i < PageCount; ++i)
        CoRegisterClassObject(PageClassIds[i], FindClassFactory(PageClassIds[i]),
                              CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registrations[i]);
    std::array<CLSID, PageCount> pages = PageClassIds;
    IUnknown* self = static_cast<_Quillomet*>(this);
    const std::wstring caption = Utf8ToWide(class_facts::ClassName);
    return OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, &self, PageCount, pages.data(),
                                  LOCALE_USER_DEFAULT, 0, nullptr);
}

} // namespace quillomet
