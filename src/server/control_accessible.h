#pragma once

#include "backend/win32/accessible_proxy.h"

#include <string>
#include <vector>

namespace quillomet {

class Quillomet;
namespace win32 {
class Win32Toolkit;
}

// A part's default action, as posted to the control's window.
enum class DefaultAction : WPARAM { Increase = 1, Decrease, OpenCalculator };

// What the control's accessible object asks of the control it stands for.
class AccessibleSource {
public:
    virtual std::wstring AccessibleName() = 0;
    // Runs the action from the message loop, as a click would arrive; false
    // when it cannot be posted.
    virtual bool PostDefaultAction(DefaultAction action) = 0;
    virtual Quillomet& Control() = 0;
    virtual win32::Win32Toolkit& Toolkit() = 0;

protected:
    ~AccessibleSource() = default;
};

// The control as a screen reader meets it: one object for its window, a
// spin button while it shows its spinner and an editable text otherwise,
// with the field, the spinner's two halves and the drop button as its
// children. The halves and the button do what a click on them does.
class ControlAccessible final : public win32::AccessibleProxy {
public:
    ControlAccessible(HWND window, AccessibleSource& source);

    HWND Window() const { return m_Window; }
    // The control is gone: every question is answered as for a dead object.
    void Disconnect() { m_Source = nullptr; }

    STDMETHODIMP get_accChildCount(LONG* count) noexcept override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) noexcept override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) noexcept override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) noexcept override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) noexcept override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) noexcept override;
    STDMETHODIMP get_accFocus(VARIANT* focused) noexcept override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) noexcept override;
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                             VARIANT child) noexcept override;
    STDMETHODIMP accHitTest(LONG left, LONG top, VARIANT* child) noexcept override;
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) noexcept override;

private:
    enum class Part { Self, Field, Increase, Decrease, Calculator };

    // The parts shown now, in the order of their child ids (1, 2, ...).
    std::vector<Part> Parts() const;
    // The part a child id names; throws E_INVALIDARG for none.
    Part PartOf(const VARIANT& child) const;
    AccessibleSource& Source() const;
    HWND FieldWindow() const;
    // On the screen, in pixels.
    RECT PlaceOf(Part part) const;
    HRESULT FieldObject(VARIANT* result) const;

    AccessibleSource* m_Source;
};

} // namespace quillomet
