#include "server/control_accessible.h"

#include "backend/win32/host_entry.h"
#include "backend/win32/win32_toolkit.h"
#include "control/quillomet.h"
#include "win32com/error.h"
#include "win32com/text_conversion.h"

#include <algorithm>
#include <string>

namespace quillomet {
namespace {

constexpr wchar_t IncreaseName[] = L"Increase";
constexpr wchar_t DecreaseName[] = L"Decrease";
constexpr wchar_t CalculatorName[] = L"Calculator";
constexpr wchar_t PressAction[] = L"Press";

RECT UpperHalf(RECT r) {
    r.bottom = r.top + (r.bottom - r.top) / 2;
    return r;
}

RECT LowerHalf(RECT r) {
    r.top += (r.bottom - r.top) / 2;
    return r;
}

} // namespace

ControlAccessible::ControlAccessible(HWND window, AccessibleSource& source)
    : AccessibleProxy(window), m_Source(&source) {}

AccessibleSource& ControlAccessible::Source() const {
    if (!m_Source)
        throw com::HresultError(CO_E_OBJNOTCONNECTED);
    return *m_Source;
}

HWND ControlAccessible::FieldWindow() const {
    const win32::Win32TextBox* field = Source().Toolkit().Field();
    return field ? field->Handle() : nullptr;
}

std::vector<ControlAccessible::Part> ControlAccessible::Parts() const {
    std::vector<Part> parts;
    if (FieldWindow())
        parts.push_back(Part::Field);
    if (Source().Toolkit().SpinnerWindow()) {
        parts.push_back(Part::Increase);
        parts.push_back(Part::Decrease);
    }
    if (Source().Toolkit().DropButtonPlace())
        parts.push_back(Part::Calculator);
    return parts;
}

ControlAccessible::Part ControlAccessible::PartOf(const VARIANT& child) const {
    const LONG id = ChildId(child);
    if (id == CHILDID_SELF) {
        Source(); // a dead control has no self either
        return Part::Self;
    }
    const std::vector<Part> parts = Parts();
    if (id < 1 || static_cast<std::size_t>(id) > parts.size())
        throw com::HresultError(E_INVALIDARG);
    return parts[static_cast<std::size_t>(id - 1)];
}

RECT ControlAccessible::PlaceOf(Part part) const {
    RECT r{};
    switch (part) {
    case Part::Self:
        GetWindowRect(m_Window, &r);
        break;
    case Part::Field:
        GetWindowRect(FieldWindow(), &r);
        break;
    case Part::Increase:
    case Part::Decrease:
        GetWindowRect(Source().Toolkit().SpinnerWindow(), &r);
        r = part == Part::Increase ? UpperHalf(r) : LowerHalf(r);
        break;
    case Part::Calculator:
        if (const auto place = Source().Toolkit().DropButtonPlace()) {
            r = *place;
            MapWindowPoints(m_Window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        }
        break;
    }
    return r;
}

// The field is an object of its own: the system's, under the control's name.
// Made whole before the variant is touched, so a failure leaves it empty.
HRESULT ControlAccessible::FieldObject(VARIANT* result) const {
    const HWND window = FieldWindow();
    const auto field = com::make<win32::NamedAccessible>(
        window,
        win32::AccessibleFacts{Source().AccessibleName(), ROLE_SYSTEM_TEXT, WindowText(window)});
    result->pdispVal = static_cast<IAccessible*>(field.get());
    result->pdispVal->AddRef();
    result->vt = VT_DISPATCH;
    return S_OK;
}

STDMETHODIMP ControlAccessible::get_accChildCount(LONG* count) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!count)
            return E_POINTER;
        *count = static_cast<LONG>(Parts().size());
        return S_OK;
    });
}

STDMETHODIMP ControlAccessible::get_accChild(VARIANT child, IDispatch** object) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        const Part part = PartOf(child);
        if (part == Part::Self)
            return E_INVALIDARG;
        if (part != Part::Field)
            return S_FALSE; // the halves and the button are simple elements
        VARIANT field;
        VariantInit(&field);
        FieldObject(&field);
        *object = field.pdispVal;
        return S_OK;
    });
}

STDMETHODIMP ControlAccessible::get_accName(VARIANT child, BSTR* name) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!name)
            return E_POINTER;
        *name = nullptr;
        switch (PartOf(child)) {
        case Part::Self:
        case Part::Field:
            return Answer(Source().AccessibleName(), name);
        case Part::Increase:
            return Answer(IncreaseName, name);
        case Part::Decrease:
            return Answer(DecreaseName, name);
        case Part::Calculator:
            return Answer(CalculatorName, name);
        }
        return E_INVALIDARG;
    });
}

// What the field shows.
STDMETHODIMP ControlAccessible::get_accValue(VARIANT child, BSTR* value) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        const Part part = PartOf(child);
        if (part != Part::Self && part != Part::Field)
            return DISP_E_MEMBERNOTFOUND;
        const HWND field = FieldWindow();
        return Answer(field ? WindowText(field) : std::wstring(), value);
    });
}

STDMETHODIMP ControlAccessible::get_accRole(VARIANT child, VARIANT* role) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!role)
            return E_POINTER;
        VariantInit(role);
        LONG answer = ROLE_SYSTEM_PUSHBUTTON;
        switch (PartOf(child)) {
        case Part::Self:
            answer =
                Source().Control().UpDownFunction() ? ROLE_SYSTEM_SPINBUTTON : ROLE_SYSTEM_TEXT;
            break;
        case Part::Field:
            answer = ROLE_SYSTEM_TEXT;
            break;
        default:
            break;
        }
        role->vt = VT_I4;
        role->lVal = answer;
        return S_OK;
    });
}

STDMETHODIMP ControlAccessible::get_accState(VARIANT child, VARIANT* state) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!state)
            return E_POINTER;
        VariantInit(state);
        const Part part = PartOf(child);
        Quillomet& control = Source().Control();
        LONG flags = 0;
        if (!control.Enabled())
            flags |= STATE_SYSTEM_UNAVAILABLE;
        if (!IsWindowVisible(m_Window))
            flags |= STATE_SYSTEM_INVISIBLE;
        if (part == Part::Self || part == Part::Field) {
            const HWND field = FieldWindow();
            if (control.Enabled())
                flags |= STATE_SYSTEM_FOCUSABLE;
            if (field && GetFocus() == field)
                flags |= STATE_SYSTEM_FOCUSED;
            if (control.Locked())
                flags |= STATE_SYSTEM_READONLY;
        }
        state->vt = VT_I4;
        state->lVal = flags;
        return S_OK;
    });
}

STDMETHODIMP ControlAccessible::get_accFocus(VARIANT* focused) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!focused)
            return E_POINTER;
        VariantInit(focused);
        const HWND field = FieldWindow();
        if (!field || GetFocus() != field)
            return S_FALSE;
        return FieldObject(focused);
    });
}

STDMETHODIMP ControlAccessible::get_accDefaultAction(VARIANT child, BSTR* action) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!action)
            return E_POINTER;
        *action = nullptr;
        const Part part = PartOf(child);
        if (part == Part::Self || part == Part::Field)
            return DISP_E_MEMBERNOTFOUND;
        return Answer(PressAction, action);
    });
}

STDMETHODIMP ControlAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                            VARIANT child) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        const RECT r = PlaceOf(PartOf(child));
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    });
}

STDMETHODIMP ControlAccessible::accHitTest(LONG left, LONG top, VARIANT* child) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!child)
            return E_POINTER;
        VariantInit(child);
        const POINT at{left, top};
        RECT r = PlaceOf(Part::Self);
        if (!PtInRect(&r, at))
            return S_FALSE;
        const std::vector<Part> parts = Parts();
        for (std::size_t i = 0; i < parts.size(); ++i) {
            r = PlaceOf(parts[i]);
            if (!PtInRect(&r, at))
                continue;
            if (parts[i] == Part::Field)
                return FieldObject(child);
            child->vt = VT_I4;
            child->lVal = static_cast<LONG>(i + 1);
            return S_OK;
        }
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
        return S_OK;
    });
}

// Among the parts by their order; from the control itself, as the system
// navigates among windows.
STDMETHODIMP ControlAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        if (!end)
            return E_POINTER;
        VariantInit(end);
        const Part from = PartOf(start);
        const auto count = static_cast<LONG>(Parts().size());
        LONG to = 0;
        if (from == Part::Self) {
            if (direction == NAVDIR_FIRSTCHILD)
                to = count > 0 ? 1 : 0;
            else if (direction == NAVDIR_LASTCHILD)
                to = count;
            else
                return AccessibleProxy::accNavigate(direction, start, end);
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            const LONG id = ChildId(start);
            to = id < count ? id + 1 : 0;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            const LONG id = ChildId(start);
            to = id > 1 ? id - 1 : 0;
        }
        if (to == 0)
            return S_FALSE;
        VARIANT target{};
        target.vt = VT_I4;
        target.lVal = to;
        if (PartOf(target) == Part::Field)
            return FieldObject(end);
        *end = target;
        return S_OK;
    });
}

// Through the control's own handlers, as a click on the part, from the
// message loop: the host's events (and the calculator opening) do not run
// inside the screen reader's call, which returns at once.
STDMETHODIMP ControlAccessible::accDoDefaultAction(VARIANT child) noexcept {
    return win32::EnterFromHost(static_cast<IAccessible*>(this), [&]() -> HRESULT {
        const Part part = PartOf(child);
        if (part == Part::Self || part == Part::Field)
            return DISP_E_MEMBERNOTFOUND;
        AccessibleSource& source = Source();
        if (!source.Control().Enabled())
            return E_ACCESSDENIED;
        const DefaultAction action = part == Part::Calculator ? DefaultAction::OpenCalculator
                                     : part == Part::Increase ? DefaultAction::Increase
                                                              : DefaultAction::Decrease;
        return source.PostDefaultAction(action) ? S_OK : E_FAIL;
    });
}

} // namespace quillomet
