// What placing controls on a form costs under Wine, against the bare EDIT
// windows a form would otherwise hold: N of each, created and placed with
// one parent, timed with the performance counter. A window costs hundreds
// of microseconds to create under Wine, so the window count decides.
//
// Also timed, as a reference: the least any control built as a window of
// its own holding an EDIT can cost, a bare parent window (not clipping its
// children, as the control's does not) with a bare EDIT in it and a font
// set on the EDIT.
//
//   window_cost PATH-TO-Quillomet.ocx [N] [--rows]
//
// Also: one picture of a placed control drawn into a memory DC (IViewObject
// Draw, as a report draws one per record) against what a plain text field's
// picture costs, a sunken edge and a line of text by DrawText.
//
// --rows prints the medians as "name value" lines instead, for cost_table:
// edit_us, reference_us, control_us, spinner_us, draw_us, draw_reference_us
// and the four ratios.
// WINDOW_COST_ROUNDS=R sets the number of rounds (7) and prints each one.
// WINDOW_COST_ONLY=edit|reference|control|spinner times one kind once,
// between two debug strings "window_cost: begin" and "window_cost: end",
// for tracing the window server's requests (WINEDEBUG=+server,+debugstr).
#include "process_measures.h"
#include "test_site.h"
#include "win32com/com_ptr.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using quillomet::bench::Seconds;
using quillomet::com::com_ptr;
using quillomet::testing::Pump;
using quillomet::testing::Ref;
using quillomet::testing::Site;

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

constexpr wchar_t ReferenceParentClass[] = L"WindowCostParent";

void RegisterReferenceParent() {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = ReferenceParentClass;
    RegisterClassExW(&wc);
}

int EnvironmentNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text ? std::atoi(text) : fallback;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_cost PATH-TO-Quillomet.ocx [N] [--rows]\n");
        return 2;
    }
    int n = 300;
    bool rows = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0)
            rows = true;
        else
            n = std::atoi(argv[i]);
    }
    if (n < 1) {
        std::fprintf(stderr, "N must be at least 1\n");
        return 2;
    }
    OleInitialize(nullptr);
    quillomet::testing::Library library;
    if (!library.Load(quillomet::testing::WindowsPath(argv[1]))) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    RegisterReferenceParent();
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
    const auto references = [&] {
        std::vector<HWND> windows;
        const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        const double start = Seconds();
        for (int i = 0; i < n; ++i) {
            HWND parent = CreateWindowExW(WS_EX_CONTROLPARENT, ReferenceParentClass, nullptr,
                                          WS_CHILD | WS_VISIBLE, 0, i, 116, 20, form, nullptr,
                                          nullptr, nullptr);
            HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                        WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 96, 20,
                                        parent, nullptr, nullptr, nullptr);
            SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            windows.push_back(parent);
        }
        const double elapsed = Seconds() - start;
        for (HWND window : windows)
            DestroyWindow(window);
        Pump();
        return elapsed;
    };
    const auto controls = [&](bool spinner) {
        return [&, spinner] {
            std::vector<com_ptr<IOleObject>> placed;
            const double start = Seconds();
            for (int i = 0; i < n; ++i) {
                com_ptr<_Quillomet> control;
                factory->CreateInstance(nullptr, IID__Quillomet, control.put_void());
                auto ole = control.try_as<IOleObject>();
                ole->SetClientSite(&site);
                control.try_as<IPersistStreamInit>()->InitNew();
                if (spinner)
                    control->put_UpDownFunction(VARIANT_TRUE);
                site.m_Position = {0, i, 116, i + 20}; // placed as the EDITs are
                ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position);
                placed.push_back(std::move(ole));
            }
            const double elapsed = Seconds() - start;
            for (com_ptr<IOleObject>& ole : placed) {
                ole->Close(OLECLOSE_NOSAVE);
                ole->SetClientSite(nullptr);
                ole.reset();
            }
            Pump();
            return elapsed;
        };
    };
    // The pictures: one control placed, drawn again and again; the plain
    // field's picture drawn as often in the same memory DC.
    com_ptr<_Quillomet> drawn;
    factory->CreateInstance(nullptr, IID__Quillomet, drawn.put_void());
    auto drawnOle = drawn.try_as<IOleObject>();
    drawnOle->SetClientSite(&site);
    drawn.try_as<IPersistStreamInit>()->InitNew();
    site.m_Position = {0, 0, 116, 20};
    drawnOle->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.m_Position);
    VARIANT number;
    VariantInit(&number);
    V_VT(&number) = VT_R8;
    V_R8(&number) = 1234.5;
    drawn->put_value(number);
    const auto view = drawn.try_as<IViewObject2>();
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 116, 20);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ replaced = SelectObject(memory, bitmap);
    const int pictures = n * 10;
    const auto controlPictures = [&] {
        const RECTL bounds{0, 0, 116, 20};
        const double start = Seconds();
        for (int i = 0; i < pictures; ++i)
            view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, memory, &bounds, nullptr,
                       nullptr, 0);
        return Seconds() - start;
    };
    const auto plainPictures = [&] {
        const auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        const double start = Seconds();
        for (int i = 0; i < pictures; ++i) {
            RECT r{0, 0, 116, 20};
            DrawEdge(memory, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
            FillRect(memory, &r, GetSysColorBrush(COLOR_WINDOW));
            const HGDIOBJ previous = SelectObject(memory, font);
            DrawTextW(memory, L"1,234.50", -1, &r, DT_RIGHT | DT_SINGLELINE | DT_VCENTER);
            SelectObject(memory, previous);
        }
        return Seconds() - start;
    };

    const std::map<std::string, std::function<double()>> kinds = {
        {"edit", edits},
        {"reference", references},
        {"control", controls(false)},
        {"spinner", controls(true)},
        {"draw", controlPictures},
        {"draw_reference", plainPictures},
    };

    controls(false)(); // warm up: classes, the type library, shared bitmaps
    if (const char* only = std::getenv("WINDOW_COST_ONLY")) {
        const auto kind = kinds.find(only);
        if (kind == kinds.end()) {
            std::fprintf(stderr, "unknown kind %s\n", only);
            return 2;
        }
        OutputDebugStringA("window_cost: begin\n");
        const double elapsed = kind->second();
        OutputDebugStringA("window_cost: end\n");
        std::printf("%s %.1f\n", only, elapsed * 1e6 / n); // per item, or per 10 pictures
        return 0;
    }

    // The kinds take turns within each round, so that a slow spell of the
    // machine weighs on all of them alike; the ratios are taken per round.
    const int rounds = std::max(1, EnvironmentNumber("WINDOW_COST_ROUNDS", 7));
    const bool eachRound = std::getenv("WINDOW_COST_ROUNDS") != nullptr;
    std::vector<double> edit, reference, plain, withSpinner, draw, drawReference;
    std::vector<double> referenceRatio, plainRatio, spinnerRatio, drawRatio;
    for (int r = 0; r < rounds; ++r) {
        edit.push_back(edits() * 1e6 / n);
        reference.push_back(references() * 1e6 / n);
        plain.push_back(kinds.at("control")() * 1e6 / n);
        withSpinner.push_back(kinds.at("spinner")() * 1e6 / n);
        referenceRatio.push_back(reference.back() / edit.back());
        plainRatio.push_back(plain.back() / edit.back());
        spinnerRatio.push_back(withSpinner.back() / edit.back());
        draw.push_back(controlPictures() * 1e6 / pictures);
        drawReference.push_back(plainPictures() * 1e6 / pictures);
        drawRatio.push_back(draw.back() / drawReference.back());
        if (eachRound)
            std::printf("    round %d: %.1f %.1f %.1f %.1f\n", r, edit.back(), reference.back(),
                        plain.back(), withSpinner.back());
    }
    if (rows) {
        std::printf("edit_us %.2f\nreference_us %.2f\ncontrol_us %.2f\nspinner_us %.2f\n"
                    "reference_ratio %.4f\ncontrol_ratio %.4f\nspinner_ratio %.4f\n"
                    "draw_us %.2f\ndraw_reference_us %.2f\ndraw_ratio %.4f\n",
                    MedianOf(edit), MedianOf(reference), MedianOf(plain), MedianOf(withSpinner),
                    MedianOf(referenceRatio), MedianOf(plainRatio), MedianOf(spinnerRatio),
                    MedianOf(draw), MedianOf(drawReference), MedianOf(drawRatio));
    } else {
        std::printf(
            "N = %d on a visible form, %d interleaved rounds, medians, microseconds per item:\n", n,
            rounds);
        std::printf("  bare EDIT                       %8.1f\n", MedianOf(edit));
        std::printf("  parent window holding an EDIT   %8.1f   ratio %.2f (reference)\n",
                    MedianOf(reference), MedianOf(referenceRatio));
        std::printf("  control, placed, no spinner     %8.1f   ratio %.2f (target at most 2.0)\n",
                    MedianOf(plain), MedianOf(plainRatio));
        std::printf("  control, placed, with spinner   %8.1f   ratio %.2f (target at most 3.0)\n",
                    MedianOf(withSpinner), MedianOf(spinnerRatio));
        std::printf("  a control's picture (Draw)      %8.2f   ratio %.2f (target at most 2.0)\n",
                    MedianOf(draw), MedianOf(drawRatio));
        std::printf("  a plain field's picture         %8.2f\n", MedianOf(drawReference));
    }
    SelectObject(memory, replaced);
    DeleteObject(bitmap);
    DeleteDC(memory);
    drawnOle->Close(OLECLOSE_NOSAVE);
    drawnOle->SetClientSite(nullptr);
    factory.reset();
    DestroyWindow(form);
    OleUninitialize();
    return 0;
}
