// The control as a screen reader meets it through active accessibility:
// its window's object and its field's, their names, roles, values, states
// and children, the default actions and the events that announce changes.
// Runs under Wine with a display, in the strict container.
#include "screen_fixture.h"
#include "test_main.h"

#include <oleacc.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quillomet::testing::Calculator;
using quillomet::testing::g_OcxPath;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::ScreenTest;

VARIANT Child(LONG id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::wstring Taken(HRESULT hr, BSTR text) {
    std::wstring taken = SUCCEEDED(hr) && text ? text : L"";
    SysFreeString(text);
    return taken;
}

std::wstring NameOf(IAccessible* object, LONG id = CHILDID_SELF) {
    BSTR name = nullptr;
    const HRESULT hr = object->get_accName(Child(id), &name);
    return Taken(hr, name);
}

std::wstring ValueOf(IAccessible* object, LONG id = CHILDID_SELF) {
    BSTR value = nullptr;
    const HRESULT hr = object->get_accValue(Child(id), &value);
    return Taken(hr, value);
}

LONG RoleOf(IAccessible* object, LONG id = CHILDID_SELF) {
    VARIANT role;
    VariantInit(&role);
    object->get_accRole(Child(id), &role);
    return role.vt == VT_I4 ? role.lVal : -1;
}

LONG StateOf(IAccessible* object, LONG id = CHILDID_SELF) {
    VARIANT state;
    VariantInit(&state);
    object->get_accState(Child(id), &state);
    return state.vt == VT_I4 ? state.lVal : -1;
}

// The window events announced in this thread, as a screen reader hears them.
struct HeardEvent {
    DWORD event;
    HWND window;
    LONG object;
};
std::vector<HeardEvent> g_Heard;

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
    g_Heard.push_back({event, window, object});
}

class AccessibilityTest : public ScreenTest {
protected:
    HWND ControlWindow() { return GetParent(Field()); }
    Ref<IAccessible> ObjectOf(HWND window) {
        Ref<IAccessible> object;
        EXPECT_HRESULT_SUCCEEDED(
            AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, object.put_void()));
        return object;
    }
    // A label before the control among the form's windows, as a dialog
    // places a field's label.
    HWND PlaceLabel(const wchar_t* text) {
        HWND label = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, 10, 120, 60, 16,
                                     m_Form, nullptr, nullptr, nullptr);
        HWND above = GetWindow(ControlWindow(), GW_HWNDPREV);
        SetWindowPos(label, above ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return label;
    }
};

// The name: the label before the control, else the host's DisplayName for
// it, else the extender's Name.
TEST_F(AccessibilityTest, NameComesFromTheLabelThenTheHost) {
    EXPECT_EQ(L"Quillomet1", NameOf(ObjectOf(ControlWindow()).get()));
    m_Site->m_DisplayName = L"Amount due";
    EXPECT_EQ(L"Amount due", NameOf(ObjectOf(ControlWindow()).get()));
    const HWND label = PlaceLabel(L"&Total && tax");
    EXPECT_EQ(L"Total & tax", NameOf(ObjectOf(ControlWindow()).get()));
    DestroyWindow(label);
}

TEST_F(AccessibilityTest, RoleValueAndStateFollowTheControl) {
    SetValue(1234.5);
    const Ref<IAccessible> object = ObjectOf(ControlWindow());
    EXPECT_EQ(ROLE_SYSTEM_TEXT, RoleOf(object.get()));
    EXPECT_EQ(Text(), ValueOf(object.get()));
    EXPECT_EQ(L"1,234.50", ValueOf(object.get()));
    EXPECT_EQ(0, StateOf(object.get()) &
                     (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_READONLY));
    SetFocus(Field());
    Pump();
    EXPECT_EQ(L"1234.50", ValueOf(object.get())); // what the field shows while typing
    EXPECT_TRUE(StateOf(object.get()) & STATE_SYSTEM_FOCUSED);
    m_Control->put_Locked(VARIANT_TRUE);
    EXPECT_TRUE(StateOf(object.get()) & STATE_SYSTEM_READONLY);
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    EXPECT_EQ(ROLE_SYSTEM_SPINBUTTON, RoleOf(object.get()));
    SetFocus(m_Next);
    m_Control->put_Enabled(VARIANT_FALSE);
    EXPECT_TRUE(StateOf(object.get()) & STATE_SYSTEM_UNAVAILABLE);
}

// The field, the spinner's halves and the drop button, in each arrangement.
TEST_F(AccessibilityTest, ChildrenInEachArrangement) {
    const struct {
        bool spinner, calculator;
        std::vector<std::wstring> names;
    } rows[] = {
        {false, false, {L"Quillomet1"}},
        {true, false, {L"Quillomet1", L"Increase", L"Decrease"}},
        {false, true, {L"Quillomet1", L"Calculator"}},
        {true, true, {L"Quillomet1", L"Increase", L"Decrease", L"Calculator"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.spinner << row.calculator);
        m_Control->put_UpDownFunction(row.spinner ? VARIANT_TRUE : VARIANT_FALSE);
        m_Control->put_Calculator(row.calculator ? VARIANT_TRUE : VARIANT_FALSE);
        Pump();
        const Ref<IAccessible> object = ObjectOf(ControlWindow());
        LONG count = 0;
        object->get_accChildCount(&count);
        ASSERT_EQ(static_cast<LONG>(row.names.size()), count);
        for (LONG id = 1; id <= count; ++id) {
            EXPECT_EQ(row.names[static_cast<std::size_t>(id - 1)], NameOf(object.get(), id));
            EXPECT_EQ(id == 1 ? ROLE_SYSTEM_TEXT : ROLE_SYSTEM_PUSHBUTTON,
                      RoleOf(object.get(), id));
        }
        // The field is an object of its own; the others are simple elements.
        Ref<IDispatch> field;
        EXPECT_EQ(S_OK, object->get_accChild(Child(1), field.put()));
        const auto fieldObject = field.try_as<IAccessible>();
        ASSERT_TRUE(fieldObject);
        EXPECT_EQ(L"Quillomet1", NameOf(fieldObject.get()));
        if (count > 1) {
            Ref<IDispatch> none;
            EXPECT_EQ(S_FALSE, object->get_accChild(Child(2), none.put()));
        }
        // A part's place lies within the control's.
        LONG left = 0, top = 0, width = 0, height = 0;
        RECT control{};
        GetWindowRect(ControlWindow(), &control);
        for (LONG id = 1; id <= count; ++id) {
            ASSERT_HRESULT_SUCCEEDED(object->accLocation(&left, &top, &width, &height, Child(id)));
            EXPECT_GT(width, 0);
            EXPECT_GT(height, 0);
            EXPECT_GE(left, control.left);
            EXPECT_LE(left + width, control.right);
            VARIANT hit;
            VariantInit(&hit);
            ASSERT_HRESULT_SUCCEEDED(object->accHitTest(left + width / 2, top + height / 2, &hit));
            if (id == 1)
                EXPECT_EQ(VT_DISPATCH, hit.vt);
            else
                EXPECT_EQ(id, hit.vt == VT_I4 ? hit.lVal : -1);
            VariantClear(&hit);
        }
    }
}

// The halves step and the button opens the calculator, as clicks do.
TEST_F(AccessibilityTest, DefaultActionsStepAndOpenTheCalculator) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    m_Control->put_UpDownIncrement(5);
    SetValue(7);
    Pump();
    const Ref<IAccessible> object = ObjectOf(ControlWindow());
    const int clicks = m_Sink.Count(2);
    ASSERT_HRESULT_SUCCEEDED(object->accDoDefaultAction(Child(2)));
    EXPECT_EQ(7, Value()); // the call returns first: the press comes from the message loop
    Pump();
    EXPECT_EQ(10, Value());
    ASSERT_HRESULT_SUCCEEDED(object->accDoDefaultAction(Child(3)));
    Pump();
    EXPECT_EQ(5, Value());
    EXPECT_EQ(clicks + 2, m_Sink.Count(2)); // Click, as for the mouse
    BSTR action = nullptr;
    const HRESULT asked = object->get_accDefaultAction(Child(4), &action);
    EXPECT_EQ(L"Press", Taken(asked, action));
    ASSERT_HRESULT_SUCCEEDED(object->accDoDefaultAction(Child(4)));
    Pump();
    EXPECT_NE(nullptr, Calculator());
    m_Control->HideCalculator();
    Pump();
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object->accDoDefaultAction(Child(CHILDID_SELF)));
}

// Asked through its own window, the field answers with the system's object
// for an edit window (caret and selection), under the control's name.
TEST_F(AccessibilityTest, FieldAnswersUnderTheControlsName) {
    m_Site->m_DisplayName = L"Price";
    SetValue(12.5);
    SetFocus(Field());
    Pump();
    const Ref<IAccessible> field = ObjectOf(Field());
    EXPECT_EQ(L"Price", NameOf(field.get()));
    EXPECT_EQ(ROLE_SYSTEM_TEXT, RoleOf(field.get()));
    EXPECT_EQ(Text(), ValueOf(field.get()));
    EXPECT_TRUE(StateOf(field.get()) & STATE_SYSTEM_FOCUSED);
    HWND window = nullptr;
    EXPECT_HRESULT_SUCCEEDED(WindowFromAccessibleObject(field.get(), &window));
    EXPECT_EQ(Field(), window);
}

// A changed number and a renamed control are announced.
TEST_F(AccessibilityTest, ChangesAreAnnounced) {
    g_Heard.clear();
    const HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, &Hear,
                        GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    const auto heard = [&](DWORD event) {
        for (const HeardEvent& e : g_Heard)
            if (e.event == event && e.window == ControlWindow() && e.object == OBJID_CLIENT)
                return true;
        return false;
    };
    SetValue(42);
    Pump();
    EXPECT_TRUE(heard(EVENT_OBJECT_VALUECHANGE));
    g_Heard.clear();
    SetValue(42); // the same number: no Change, nothing to announce
    Pump();
    EXPECT_FALSE(heard(EVENT_OBJECT_VALUECHANGE));
    const auto control = m_Control.try_as<IOleControl>();
    control->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYNAME);
    Pump();
    EXPECT_TRUE(heard(EVENT_OBJECT_NAMECHANGE));
    UnhookWinEvent(hook);
}

// What clients of the object's protocol rely on: IDispatch by its own IID,
// child ids of other integer types or left out, refusals of ids that name
// nothing, the focus, navigation among the parts, and a disabled control's
// parts doing nothing.
TEST_F(AccessibilityTest, ProtocolEdges) {
    m_Control->put_UpDownFunction(VARIANT_TRUE);
    m_Control->put_Calculator(VARIANT_TRUE);
    SetValue(3);
    Pump();
    const Ref<IAccessible> object = ObjectOf(ControlWindow());
    EXPECT_TRUE(object.try_as<IDispatch>());
    EXPECT_TRUE(ObjectOf(Field()).try_as<IDispatch>());

    VARIANT left;
    VariantInit(&left); // VT_EMPTY: the object itself
    BSTR name = nullptr;
    HRESULT asked = object->get_accName(left, &name);
    EXPECT_EQ(L"Quillomet1", Taken(asked, name));
    VARIANT shortId;
    VariantInit(&shortId);
    shortId.vt = VT_I2;
    shortId.iVal = 3;
    asked = object->get_accName(shortId, &name);
    EXPECT_EQ(L"Decrease", Taken(asked, name));
    for (const LONG wrong : {5L, -3L}) {
        VARIANT role;
        VariantInit(&role);
        EXPECT_EQ(E_INVALIDARG, object->get_accRole(Child(wrong), &role)) << wrong;
        EXPECT_EQ(VT_EMPTY, role.vt);
    }
    Ref<IDispatch> self;
    EXPECT_EQ(E_INVALIDARG, object->get_accChild(Child(CHILDID_SELF), self.put()));

    VARIANT focus;
    VariantInit(&focus);
    EXPECT_EQ(S_FALSE, object->get_accFocus(&focus));
    SetFocus(Field());
    Pump();
    ASSERT_EQ(S_OK, object->get_accFocus(&focus));
    EXPECT_EQ(VT_DISPATCH, focus.vt);
    VariantClear(&focus);

    VARIANT end;
    VariantInit(&end);
    ASSERT_EQ(S_OK, object->accNavigate(NAVDIR_LASTCHILD, Child(CHILDID_SELF), &end));
    EXPECT_EQ(4, end.lVal);
    ASSERT_EQ(S_OK, object->accNavigate(NAVDIR_PREVIOUS, Child(4), &end));
    EXPECT_EQ(3, end.lVal);
    EXPECT_EQ(S_FALSE, object->accNavigate(NAVDIR_NEXT, Child(4), &end));
    ASSERT_EQ(S_OK, object->accNavigate(NAVDIR_FIRSTCHILD, Child(CHILDID_SELF), &end));
    EXPECT_EQ(VT_DISPATCH, end.vt); // the field, an object of its own
    VariantClear(&end);

    SetFocus(m_Next);
    m_Control->put_Enabled(VARIANT_FALSE);
    EXPECT_TRUE(StateOf(object.get(), 2) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(E_ACCESSDENIED, object->accDoDefaultAction(Child(2)));
    EXPECT_EQ(3, Value());
}

// The calculator has no caption: its object names it, gives the readout as
// its value, and names each key by its meaning.
TEST_F(AccessibilityTest, CalculatorAndItsKeysAreNamedByMeaning) {
    SetValue(12.5);
    m_Control->ShowCalculator();
    Pump();
    ASSERT_NE(nullptr, Calculator());
    const Ref<IAccessible> calculator = ObjectOf(Calculator());
    EXPECT_EQ(L"Calculator", NameOf(calculator.get()));
    EXPECT_EQ(L"12.5", ValueOf(calculator.get()));
    const struct {
        const wchar_t* caption;
        const wchar_t* name;
    } keys[] = {
        {L"/", L"Divide"},
        {L"X", L"Multiply"},
        {L"-", L"Subtract"},
        {L"+", L"Add"},
        {L"=", L"Equals"},
        {L"%", L"Percent"},
        {L".", L"Decimal point"},
        {L"C", L"Clear"},
        {L"CE", L"Clear entry"},
        {L"0", L"0"},
        {L"7", L"7"},
    };
    for (const auto& key : keys) {
        SCOPED_TRACE(::testing::Message() << key.name);
        const HWND button = quillomet::testing::CalculatorButton(key.caption);
        ASSERT_NE(nullptr, button);
        const Ref<IAccessible> object = ObjectOf(button);
        EXPECT_EQ(key.name, NameOf(object.get()));
        EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, RoleOf(object.get()));
    }
    m_Control->HideCalculator();
    Pump();
}

// A screen reader may hold the object after the host let the control go,
// or destroyed the form the control stood on: it answers as a dead object
// does, and never reaches the freed control or tells the dead window's place.
TEST_F(AccessibilityTest, ObjectOutlivingItsControlAnswersAsDisconnected) {
    for (const bool formDestroyed : {false, true}) {
        SCOPED_TRACE(formDestroyed ? "form destroyed" : "control released");
        const HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          40, 240, 300, 80, nullptr, nullptr, nullptr, nullptr);
        Ref<_Quillomet> other;
        Ref<IOleObject> ole;
        quillomet::testing::Site site(form);
        site.m_Position = {10, 10, 10 + 120, 10 + 22};
        ASSERT_NO_FATAL_FAILURE(NewControl(&site, other, ole));
        ASSERT_HRESULT_SUCCEEDED(
            ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position));
        Pump();
        const Ref<IAccessible> object =
            ObjectOf(GetParent(quillomet::testing::FieldOf(other.get())));
        ASSERT_TRUE(object);
        const auto release = [&] {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole.reset();
            other.reset();
        };
        if (formDestroyed)
            DestroyWindow(form);
        else
            release();
        Pump();
        BSTR name = nullptr;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accName(Child(CHILDID_SELF), &name));
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->accDoDefaultAction(Child(2)));
        LONG count = -1;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED, object->get_accChildCount(&count));
        LONG left = 0, top = 0, width = 0, height = 0;
        EXPECT_EQ(CO_E_OBJNOTCONNECTED,
                  object->accLocation(&left, &top, &width, &height, Child(CHILDID_SELF)));
        if (formDestroyed)
            release();
        DestroyWindow(form);
        Pump();
    }
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "accessibility_test");
}
