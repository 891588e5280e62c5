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

// Microseconds per item of one round of `n`.
template <typename Round>
double Median(int rounds, int n, Round round) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        times.push_back(round() * 1e6 / n);
        if (std::getenv("WINDOW_COST_ROUNDS"))
            std::printf("    round %d: %.1f\n", r, times.back());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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
    const int rounds = 5;
    const double edit = Median(rounds, n, edits);
    const double plain = Median(rounds, n, controls(false));
    const double withSpinner = Median(rounds, n, controls(true));
    std::printf("N = %d, median of %d rounds, microseconds per item:\n", n, rounds);
    std::printf("  bare EDIT                       %8.1f\n", edit);
    std::printf("  control, placed, no spinner     %8.1f   ratio %.2f (target at most 2.0)\n",
                plain, plain / edit);
    std::printf("  control, placed, with spinner   %8.1f   ratio %.2f (target at most 3.0)\n",
                withSpinner, withSpinner / edit);
    factory.reset();
    DestroyWindow(form);
    OleUninitialize();
    return 0;
}
