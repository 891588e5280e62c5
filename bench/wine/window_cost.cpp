// What placing controls on a form costs under Wine, against the bare EDIT
// windows a form would otherwise hold: N of each, created and placed with
// one parent, timed with the performance counter. A window costs hundreds
// of microseconds to create under Wine, so the window count decides.
//
//   window_cost PATH-TO-Quillomet.ocx [N]
#include "test_site.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::Site;

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_cost PATH-TO-Quillomet.ocx [N]\n");
        return 2;
    }
    const int n = argc > 2 ? std::atoi(argv[2]) : 300;
    OleInitialize(nullptr);
    quillomet::testing::Library library;
    if (!library.Load(quillomet::testing::WindowsPath(argv[1]))) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                800, 600, nullptr, nullptr, nullptr, nullptr);
    Ref<IClassFactory> factory;
    library.getClassObject(CLSID_Quillomet, IID_IClassFactory, factory.put_void());
    // On a form that is on screen, as a user's form is: children of a
    // hidden form are never drawn, and the control defers its up-down
    // window until it can be seen.
    ShowWindow(form, SW_SHOWNA);
    Site site(form);

    const auto edits = [&] {
        std::vector<HWND> windows;
        const double start = Seconds();
        for (int i = 0; i < n; ++i)
            windows.push_back(CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                              WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, i, 116, 20,
                                              form, nullptr, nullptr, nullptr));
        const double elapsed = Seconds() - start;
        for (HWND window : windows)
            DestroyWindow(window);
        Pump();
        return elapsed;
    };
    const auto controls = [&](bool spinner) {
        return [&, spinner] {
            std::vector<IUnknown*> placed;
            const double start = Seconds();
            for (int i = 0; i < n; ++i) {
                _Quillomet* control = nullptr;
                factory->CreateInstance(nullptr, IID__Quillomet,
                                        reinterpret_cast<void**>(&control));
                IOleObject* ole = nullptr;
                control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
                ole->SetClientSite(&site);
                IPersistStreamInit* persist = nullptr;
                control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
                persist->InitNew();
                persist->Release();
                if (spinner)
                    control->put_UpDownFunction(VARIANT_TRUE);
                site.m_Position = {0, i, 116, i + 20}; // placed as the EDITs are
                ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position);
                ole->Release();
                placed.push_back(control);
            }
            const double elapsed = Seconds() - start;
            for (IUnknown* control : placed) {
                IOleObject* ole = nullptr;
                control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole));
                ole->Close(OLECLOSE_NOSAVE);
                ole->SetClientSite(nullptr);
                ole->Release();
                control->Release();
            }
            Pump();
            return elapsed;
        };
    };

    controls(false)(); // warm up: classes, the type library, shared bitmaps
    // The three kinds take turns within each round, so that a slow spell of
    // the machine weighs on all of them alike; the ratios are taken per round.
    const int rounds = 7;
    std::vector<double> edit, plain, withSpinner, plainRatio, spinnerRatio;
    for (int r = 0; r < rounds; ++r) {
        edit.push_back(edits() * 1e6 / n);
        plain.push_back(controls(false)() * 1e6 / n);
        withSpinner.push_back(controls(true)() * 1e6 / n);
        plainRatio.push_back(plain.back() / edit.back());
        spinnerRatio.push_back(withSpinner.back() / edit.back());
        if (std::getenv("WINDOW_COST_ROUNDS"))
            std::printf("    round %d: %.1f %.1f %.1f\n", r, edit.back(), plain.back(),
                        withSpinner.back());
    }
    std::printf(
        "N = %d on a visible form, %d interleaved rounds, medians, microseconds per item:\n", n,
        rounds);
    std::printf("  bare EDIT                       %8.1f\n", MedianOf(edit));
    std::printf("  control, placed, no spinner     %8.1f   ratio %.2f (target at most 2.0)\n",
                MedianOf(plain), MedianOf(plainRatio));
    std::printf("  control, placed, with spinner   %8.1f   ratio %.2f (target at most 3.0)\n",
                MedianOf(withSpinner), MedianOf(spinnerRatio));
    factory.reset();
    DestroyWindow(form);
    OleUninitialize();
    return 0;
}
