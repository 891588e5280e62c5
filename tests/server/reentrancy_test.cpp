// Handlers that act on the control while it is raising their event: every
// event a keystroke raises (KeyDown, KeyPress, Change, the property-change
// notification) with every action a form's code takes there (write value,
// change Format, Load, Refresh, open or close the calculator, release the
// control). Each ends without a fault; a write or a Load inside a handler
// wins over what raised it, and what is shown, read and saved agree. Runs
// under Wine with a display.
#include "screen_fixture.h"
#include "test_main.h"
#include "win32com/unique_bstr.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

using quillomet::com::unique_bstr;
using quillomet::testing::Calculator;
using quillomet::testing::g_OcxPath;
using quillomet::testing::PlainDispatch;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::ScreenTest;
using quillomet::testing::Site;

constexpr DISPID Change = 1, KeyDown = 4, KeyPress = 5;
constexpr DISPID PropertyChanged = -1; // the notify sink's OnChanged, not an event

// Runs its action once, when its trigger arrives first.
class ActingSink final : public PlainDispatch, public IPropertyNotifySink {
public:
    ActingSink() : PlainDispatch(DIID___Quillomet) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IPropertyNotifySink) {
            *object = static_cast<IPropertyNotifySink*>(this);
            return S_OK;
        }
        return PlainDispatch::QueryInterface(iid, object);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        Arrive(id);
        return S_OK;
    }
    STDMETHODIMP OnChanged(DISPID) override {
        Arrive(PropertyChanged);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }

    DISPID m_Trigger = 0;
    std::function<void()> m_Action;
    bool m_Acted = false;

private:
    void Arrive(DISPID id) {
        if (id != m_Trigger || m_Acted || !m_Action)
            return;
        m_Acted = true;
        m_Action();
    }
};

double NumberOf(_Quillomet* control) {
    VARIANT value;
    VariantInit(&value);
    control->get_value(&value);
    VariantChangeType(&value, &value, 0, VT_R8);
    return V_R8(&value);
}

void Write(_Quillomet* control, double number) {
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_R8;
    V_R8(&value) = number;
    control->put_value(value);
}

// The value a stream saved now loads back as.
double SavedNumber(_Quillomet* control, IClassFactory* factory) {
    Ref<IPersistStreamInit> persist;
    control->QueryInterface(IID_IPersistStreamInit, persist.put_void());
    Ref<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    persist->Save(stream.get(), TRUE);
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    Ref<_Quillomet> fresh;
    factory->CreateInstance(nullptr, IID__Quillomet, fresh.put_void());
    Ref<IPersistStreamInit> loader;
    fresh->QueryInterface(IID_IPersistStreamInit, loader.put_void());
    loader->Load(stream.get());
    return NumberOf(fresh.get());
}

using ReentrancyTest = ScreenTest;

TEST_F(ReentrancyTest, HandlersActingOnTheControlEndCleanly) {
    Ref<IClassFactory> factory;
    m_Library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
    // A stream holding the value 7, for the handlers that load.
    Ref<IStream> seven;
    {
        Ref<_Quillomet> source;
        factory->CreateInstance(nullptr, IID__Quillomet, source.put_void());
        Write(source.get(), 7);
        Ref<IPersistStreamInit> persist;
        source->QueryInterface(IID_IPersistStreamInit, persist.put_void());
        CreateStreamOnHGlobal(nullptr, TRUE, seven.put());
        persist->Save(seven.get(), TRUE);
    }
    enum class Outcome { Typed, Written, Loaded, Released };
    struct Action {
        const char* name;
        std::function<void(_Quillomet*&, IOleObject*&)> act;
        Outcome outcome;
    };
    const Action actions[] = {
        {"write value", [](_Quillomet*& c, IOleObject*&) { Write(c, 99); }, Outcome::Written},
        {"change Format",
         [](_Quillomet*& c, IOleObject*&) {
             const unique_bstr format(SysAllocString(L"0.000"));
             c->put_Format(format.get());
         },
         Outcome::Typed},
        {"Load",
         [&](_Quillomet*& c, IOleObject*&) {
             LARGE_INTEGER start{};
             seven->Seek(start, STREAM_SEEK_SET, nullptr);
             Ref<IPersistStreamInit> persist;
             c->QueryInterface(IID_IPersistStreamInit, persist.put_void());
             persist->Load(seven.get());
         },
         Outcome::Loaded},
        {"Refresh", [](_Quillomet*& c, IOleObject*&) { c->Refresh(); }, Outcome::Typed},
        {"ShowCalculator", [](_Quillomet*& c, IOleObject*&) { c->ShowCalculator(); },
         Outcome::Typed},
        {"HideCalculator", [](_Quillomet*& c, IOleObject*&) { c->HideCalculator(); },
         Outcome::Typed},
        {"release",
         [](_Quillomet*& c, IOleObject*& ole) {
             ole->Close(OLECLOSE_NOSAVE);
             ole->SetClientSite(nullptr);
             std::exchange(ole, nullptr)->Release();
             std::exchange(c, nullptr)->Release();
         },
         Outcome::Released},
    };
    // A program may send a key's three messages; the keyboard's are posted,
    // and the message loop makes the character from the key.
    struct Trigger {
        const char* name;
        DISPID event;
        bool posted;
    };
    const Trigger triggers[] = {
        {"KeyDown", KeyDown, false},        {"KeyPress", KeyPress, false},
        {"Change", Change, false},          {"property change", PropertyChanged, false},
        {"KeyDown, posted", KeyDown, true}, {"KeyPress, posted", KeyPress, true},
        {"Change, posted", Change, true},   {"property change, posted", PropertyChanged, true},
    };
    for (const auto& [triggerName, trigger, posted] : triggers) {
        for (const Action& action : actions) {
            SCOPED_TRACE(::testing::Message() << action.name << " in " << triggerName);
            Site site(m_Form);
            site.m_Position = {10, 100, 170, 122};
            _Quillomet* control = nullptr;
            IOleObject* ole = nullptr;
            factory->CreateInstance(nullptr, IID__Quillomet, reinterpret_cast<void**>(&control));
            control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
            ole->SetClientSite(&site);
            ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, m_Form, &site.m_Position);
            ActingSink sink;
            Ref<IConnectionPointContainer> points;
            control->QueryInterface(IID_IConnectionPointContainer, points.put_void());
            Ref<IConnectionPoint> events, notifications;
            points->FindConnectionPoint(DIID___Quillomet, events.put());
            points->FindConnectionPoint(IID_IPropertyNotifySink, notifications.put());
            points.reset(); // the connection points do not hold the control
            DWORD eventCookie = 0, notifyCookie = 0;
            events->Advise(static_cast<IDispatch*>(&sink), &eventCookie);
            notifications->Advise(static_cast<IPropertyNotifySink*>(&sink), &notifyCookie);
            Write(control, 1);
            const HWND field = quillomet::testing::FieldOf(control);
            SetFocus(field);
            Pump();
            SendMessageW(field, EM_SETSEL, 0, -1);
            sink.m_Trigger = trigger;
            sink.m_Action = [&] { action.act(control, ole); };

            if (posted) {
                PostMessageW(field, WM_KEYDOWN, '5', 1);
                Pump();
                PostMessageW(field, WM_KEYUP, '5', 0xC0000001);
            } else {
                SendMessageW(field, WM_KEYDOWN, '5', 0);
                SendMessageW(field, WM_CHAR, '5', 0);
                SendMessageW(field, WM_KEYUP, '5', 0);
            }
            Pump();
            EXPECT_TRUE(sink.m_Acted);

            if (action.outcome == Outcome::Released) {
                // Released inside the handler: gone, windows and all.
                EXPECT_EQ(nullptr, control);
                EXPECT_FALSE(IsWindow(field));
                events.reset();
                notifications.reset();
                continue;
            }
            // Opened from KeyDown or KeyPress, the calculator takes the edit
            // away before the key's character goes in: the key goes nowhere,
            // and its release leaves the calculator open. (Opened from the
            // change the character made, the key's release closes it, as
            // any key in the field does.)
            const bool keyHandler = trigger == KeyDown || trigger == KeyPress;
            if (keyHandler && std::string(action.name) == "ShowCalculator") {
                EXPECT_NE(nullptr, Calculator());
                EXPECT_EQ(1, NumberOf(control));
            }
            // Raised inside the text's change, a handler's write or Load wins
            // over it; KeyDown and KeyPress come before the character goes
            // in, which then goes into what the handler left.
            const bool insideTheChange = trigger == Change || trigger == PropertyChanged;
            if (action.outcome == Outcome::Written && insideTheChange)
                EXPECT_EQ(99, NumberOf(control));
            else if (action.outcome == Outcome::Loaded && insideTheChange)
                EXPECT_EQ(7, NumberOf(control));
            // Accepted when the focus leaves: then what is read is saved.
            SetFocus(m_Next);
            Pump();
            EXPECT_EQ(NumberOf(control), SavedNumber(control, factory.get()))
                << "saved and read differ";
            control->HideCalculator();
            events->Unadvise(eventCookie);
            notifications->Unadvise(notifyCookie);
            events.reset();
            notifications.reset();
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole->Release();
            control->Release();
            Pump();
        }
    }
    EXPECT_EQ(nullptr, Calculator());
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "reentrancy_test");
}
