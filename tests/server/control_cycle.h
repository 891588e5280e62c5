#pragma once

// One control's whole life in a host, as a form gives it: created, sited,
// placed, typed into, stepped, its calculator opened and closed, saved,
// its settings loaded into a second control, and both released. Used by
// the unloading test and the stress run, which repeat it.
#include "com_test_support.h"
#include "container/ole_site.h"

#include <windows.h>

#include <objidl.h>
#include <ocidl.h>

#include <cmath>

namespace quillomet::testing {

namespace detail {

// A control made by `factory`, sited on `site` with a new instance's
// settings or those of `stream`, and placed in the site's window.
inline bool Place(IClassFactory* factory, Site& site, HWND form, IStream* stream,
                  Ref<_Quillomet>& control, Ref<IOleObject>& ole) {
    if (FAILED(factory->CreateInstance(nullptr, IID__Quillomet, control.put_void())) ||
        FAILED(control->QueryInterface(IID_IOleObject, ole.put_void())) ||
        FAILED(ole->SetClientSite(&site)))
        return false;
    Ref<IPersistStreamInit> persist;
    if (FAILED(control->QueryInterface(IID_IPersistStreamInit, persist.put_void())))
        return false;
    if (stream) {
        const LARGE_INTEGER start{};
        if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) || FAILED(persist->Load(stream)))
            return false;
    } else if (FAILED(persist->InitNew())) {
        return false;
    }
    return SUCCEEDED(
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position));
}

// Closes a placed control and takes its site away, as a form does.
inline void Unplace(Ref<IOleObject>& ole) {
    if (!ole.get())
        return;
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
}

// Whether this thread has a calculator window.
inline bool CalculatorOpen() {
    bool found = false;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM result) WINAPI -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (wcscmp(name, L"QuillometCalculator") == 0)
                *reinterpret_cast<bool*>(result) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

inline HWND FieldWindow(_Quillomet* control) {
    LONG handle = 0;
    control->get_hwnd(&handle);
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

inline double ValueOf(_Quillomet* control) {
    VARIANT value;
    VariantInit(&value);
    if (FAILED(control->get_value(&value)) || FAILED(VariantChangeType(&value, &value, 0, VT_R8)))
        return NAN;
    return V_R8(&value);
}

} // namespace detail

// Runs one cycle on a form window of the calling thread and returns the
// value the second control read from the first one's saved settings:
// 13.5 when every step worked, NaN when one failed (the calculator not
// opening, or not closing, among them).
inline double UseOneControl(IClassFactory* factory, HWND form) {
    using namespace detail;
    Site firstSite(form);
    Site secondSite(form);
    Ref<IStream> saved;
    bool calculatorShown = false;
    double result = NAN;
    {
        Ref<_Quillomet> control;
        Ref<IOleObject> ole;
        if (Place(factory, firstSite, form, nullptr, control, ole) &&
            SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, saved.put()))) {
            control->put_UpDownFunction(VARIANT_TRUE);
            const HWND field = FieldWindow(control.get());
            SetFocus(field);
            for (const char typed : {'1', '2', '.', '5'})
                SendMessageW(field, WM_CHAR, static_cast<WPARAM>(typed), 0);
            SendMessageW(field, WM_KEYDOWN, VK_UP, 0);
            SendMessageW(field, WM_KEYUP, VK_UP, 0);
            control->ShowCalculator();
            Pump();
            calculatorShown = CalculatorOpen();
            control->HideCalculator();
            Pump();
            calculatorShown = calculatorShown && !CalculatorOpen();
            Ref<IPersistStreamInit> persist;
            if (SUCCEEDED(control->QueryInterface(IID_IPersistStreamInit, persist.put_void())))
                persist->Save(saved.get(), TRUE);
        }
        Unplace(ole);
    }
    if (saved.get() && calculatorShown) {
        Ref<_Quillomet> control;
        Ref<IOleObject> ole;
        if (Place(factory, secondSite, form, saved.get(), control, ole))
            result = ValueOf(control.get());
        Unplace(ole);
    }
    Pump();
    return result;
}

} // namespace quillomet::testing
