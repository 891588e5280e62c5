// The demo host: a form of our own holding a gallery of Quillomet controls,
// created by their ProgID as any container would. Without a display (or
// with --script) it plays a short session and saves screenshots.
//
//   demo [--screenshots DIR] [--script]
#include "container/ole_site.h"
#include "ordinalex.h"
#include "png_writer.h"
#include "win32com/com_ptr.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/unique_bstr.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using quillomet::testing::Site;
namespace com = quillomet::com;

struct Entry {
    const wchar_t* label;
    const wchar_t* format; // nullptr: the default picture
    double value;
    bool calculator, upDown, enabled, locked;
};

// Each of the four arrangements, a disabled and a locked control, a
// negative value and three other pictures.
const Entry Gallery[] = {
    {L"Drop button and spinner", nullptr, 1234.5, true, true, true, false},
    {L"Drop button", nullptr, 42, true, false, true, false},
    {L"Spinner", L"#,##0", 10, false, true, true, false},
    {L"Neither", nullptr, 0.5, false, false, true, false},
    {L"Disabled", nullptr, 99.99, true, true, false, false},
    {L"Locked", nullptr, 7, true, false, true, true},
    {L"Negative value", nullptr, -1234.5, true, false, true, false},
    {L"Picture #,##0.000 kg", L"#,##0.000 kg", 2.5, false, false, true, false},
    {L"Picture 00000", L"00000", 42, false, false, true, false},
    {L"Picture 0.0;(0.0)", L"0.0;(0.0)", -3.25, false, true, true, false},
};

struct Placed {
    std::unique_ptr<Site> site;
    com::com_ptr<_Quillomet> control;
    HWND field = nullptr;
};

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Lets timers and painting run for a while.
void RunFor(DWORD milliseconds) {
    const DWORD end = GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
}

// A rectangle of the screen as a PNG file.
bool SaveScreen(const RECT& area, const std::string& path);

// The screen under the form's client area, so that a calculator hanging
// below a control is in the picture too.
bool Screenshot(HWND form, const std::string& path) {
    RedrawWindow(form, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RunFor(150);
    RECT r{};
    GetClientRect(form, &r);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    return SaveScreen({origin.x, origin.y, origin.x + r.right, origin.y + r.bottom}, path);
}

// A picture of a size, made by `paint` in a memory DC, as a PNG file.
template <typename Paint>
bool SavePicture(int width, int height, const std::string& path, Paint paint) {
    const com::unique_window_dc window(nullptr);
    const com::unique_hdc memory(CreateCompatibleDC(window.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const com::unique_hbitmap bitmap(
        CreateDIBSection(window.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const com::unique_select_object selected(memory.get(), bitmap.get());
    paint(memory.get());
    GdiFlush();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height; ++i) {
        rgb[i * 3] = bgra[i * 4 + 2];
        rgb[i * 3 + 1] = bgra[i * 4 + 1];
        rgb[i * 3 + 2] = bgra[i * 4];
    }
    const bool written = quillomet::demo::WritePng(path, width, height, rgb);
    std::printf("%s %s\n", written ? "wrote" : "could not write", path.c_str());
    return written;
}

bool SaveScreen(const RECT& area, const std::string& path) {
    const com::unique_window_dc screen(nullptr);
    return SavePicture(area.right - area.left, area.bottom - area.top, path, [&](HDC memory) {
        BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen.get(),
               area.left, area.top, SRCCOPY);
    });
}

// The form as a host that draws its controls itself makes it: its labels'
// texts, and each control through IViewObject::Draw at its place.
void DrawForm(HDC dc, HWND form, const std::vector<Placed>& placed) {
    RECT client{};
    GetClientRect(form, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (HWND child = nullptr; (child = FindWindowExW(form, child, L"Static", nullptr));) {
        wchar_t text[64] = {};
        GetWindowTextW(child, text, 64);
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&place), 2);
        DrawTextW(dc, text, -1, &place, DT_LEFT | DT_NOPREFIX);
    }
    for (const Placed& p : placed) {
        const RECT& at = p.site->m_Position;
        const RECTL bounds{at.left, at.top, at.right, at.bottom};
        p.control.try_as<IViewObject>()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc,
                                              &bounds, nullptr, nullptr, 0);
    }
}

// Beside the form's screenshot, the form drawn by its controls' pictures:
// straight into a bitmap, and recorded in an enhanced metafile played back.
void SaveDrawnForm(HWND form, const std::vector<Placed>& placed, const std::string& stem) {
    RECT client{};
    GetClientRect(form, &client);
    SavePicture(client.right, client.bottom, stem + "-drawn.png",
                [&](HDC memory) { DrawForm(memory, form, placed); });
    const com::unique_window_dc screen(nullptr);
    const RECT frame = com::ScreenMetafileFrame(screen.get(), client.right, client.bottom);
    const HDC recording = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
    DrawForm(recording, form, placed);
    const HENHMETAFILE metafile = CloseEnhMetaFile(recording);
    SavePicture(client.right, client.bottom, stem + "-metafile.png",
                [&](HDC memory) { PlayEnhMetaFile(memory, metafile, &client); });
    DeleteEnhMetaFile(metafile);
}

// The about dialog is modal: a timer in its loop takes its picture and
// presses OK.
std::string g_AboutShot;
void CALLBACK ShootAbout(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND about = FindWindowW(L"QuillometAbout", nullptr);
    if (!about)
        return;
    KillTimer(nullptr, timer);
    RedrawWindow(about, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r{};
    GetWindowRect(about, &r);
    SaveScreen(r, g_AboutShot);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
}

// The form's "About Quillomet..." button shows the first control's about box.
constexpr int AboutButton = 100;
_Quillomet* g_AboutControl = nullptr;

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == AboutButton && g_AboutControl) {
        g_AboutControl->DisplayAboutBox();
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_CTLCOLORSTATIC) // the labels on the form's own grey
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return DefWindowProcW(window, message, wParam, lParam);
}

void Type(HWND field, const char* text) {
    for (const char* c = text; *c; ++c) {
        SendMessageW(field, WM_CHAR, static_cast<WPARAM>(*c), 0);
        RunFor(40);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string screenshots;
    bool script = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--screenshots" && i + 1 < argc)
            screenshots = argv[++i];
        else if (arg == "--script")
            script = true;
    }
    OleInitialize(nullptr);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"QuillometDemoForm";
    RegisterClassExW(&wc);
    // The form is laid out for 96 pixels per inch and grows with the
    // screen's, as a form designer's would.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto scaled = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    HWND form = CreateWindowExW(0, wc.lpszClassName, L"Quillomet demo",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, scaled(560),
                                scaled(440), nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(form, SW_SHOW);
    HFONT labelFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    std::vector<Placed> placed;
    int row = 0;
    for (const Entry& entry : Gallery) {
        const int top = scaled(14 + row * 34);
        HWND label = CreateWindowExW(0, L"STATIC", entry.label, WS_CHILD | WS_VISIBLE, scaled(16),
                                     top + scaled(3), scaled(200), scaled(20), form, nullptr,
                                     nullptr, nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), TRUE);
        Placed p;
        p.site = std::make_unique<Site>(form);
        p.site->m_Position = {scaled(230), top, scaled(230 + 150), top + scaled(22)};
        if (FAILED(CoCreateInstance(CLSID_Quillomet, nullptr, CLSCTX_INPROC_SERVER, IID__Quillomet,
                                    p.control.put_void()))) {
            std::fprintf(stderr,
                         "Ordinalex.Quillomet is not registered: run regsvr32 on Quillomet.ocx\n");
            return 1;
        }
        const auto ole = p.control.try_as<IOleObject>();
        ole->SetClientSite(p.site.get());
        p.control.try_as<IPersistStreamInit>()->InitNew();
        p.control->put_Calculator(entry.calculator ? VARIANT_TRUE : VARIANT_FALSE);
        p.control->put_UpDownFunction(entry.upDown ? VARIANT_TRUE : VARIANT_FALSE);
        if (entry.format) {
            const com::unique_bstr format(SysAllocString(entry.format));
            p.control->put_Format(format.get());
        }
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_R8;
        V_R8(&value) = entry.value;
        p.control->put_value(value);
        p.control->put_Locked(entry.locked ? VARIANT_TRUE : VARIANT_FALSE);
        p.control->put_Enabled(entry.enabled ? VARIANT_TRUE : VARIANT_FALSE);
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, p.site.get(), 0, form, &p.site->m_Position);
        LONG handle = 0;
        p.control->get_hwnd(&handle);
        p.field = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
        placed.push_back(std::move(p));
        ++row;
    }
    HWND aboutButton = CreateWindowExW(
        0, L"BUTTON", L"About Quillomet...", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
        scaled(230), scaled(14 + row * 34 + 4), scaled(150), scaled(26), form,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(AboutButton)), nullptr, nullptr);
    SendMessageW(aboutButton, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), TRUE);
    g_AboutControl = placed[0].control.get();
    RunFor(200);

    const bool interactive = !script && screenshots.empty();
    if (!screenshots.empty()) {
        const auto shot = [&](const char* name) { Screenshot(form, screenshots + "\\" + name); };
        shot("1-gallery.png");
        SaveDrawnForm(form, placed, screenshots + "\\1-gallery");
        // Into the first field: its plain form, selected.
        SetFocus(placed[0].field);
        RunFor(100);
        shot("2-focus.png");
        Type(placed[0].field, "98765.4");
        shot("3-typed.png");
        // Away from it: the display form.
        SetFocus(placed[1].field);
        RunFor(100);
        shot("4-tabbed-away.png");
        // Hold the spinner of the third control for a second.
        HWND spinner =
            FindWindowExW(GetParent(placed[2].field), nullptr, L"msctls_updown32", nullptr);
        if (spinner) {
            SendMessageW(spinner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 2));
            RunFor(1000);
            SendMessageW(spinner, WM_LBUTTONUP, 0, MAKELPARAM(4, 2));
            RunFor(100);
        }
        shot("5-spun.png");
        // The drop button of the second control: the calculator below it.
        HWND control = GetParent(placed[1].field);
        RECT client{};
        GetClientRect(control, &client);
        SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 4, 6));
        SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(client.right - 4, 6));
        RunFor(200);
        if (HWND calculator = FindWindowW(L"QuillometCalculator", nullptr)) {
            for (WPARAM key :
                 {WPARAM('1'), WPARAM('2'), WPARAM(VK_ADD), WPARAM('3'), WPARAM(187)}) {
                SendMessageW(calculator, WM_KEYDOWN, key, 0);
                SendMessageW(calculator, WM_KEYUP, key, 0);
                RunFor(60);
            }
            shot("6-calculator.png");
            SendMessageW(calculator, WM_KEYDOWN, VK_ESCAPE, 0);
            SendMessageW(calculator, WM_KEYUP, VK_ESCAPE, 0);
            RunFor(200);
        }
        shot("7-handed-back.png");
        // The about box, from the form's button.
        g_AboutShot = screenshots + "\\8-about.png";
        SetTimer(nullptr, 0, 300, &ShootAbout);
        SendMessageW(form, WM_COMMAND, MAKEWPARAM(AboutButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(aboutButton));
    }
    if (interactive || !script) {
        MSG message;
        while (IsWindow(form) && GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    g_AboutControl = nullptr;
    for (Placed& p : placed) {
        const auto ole = p.control.try_as<IOleObject>();
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        p.control.reset(); // before OLE is uninitialised
    }
    if (IsWindow(form))
        DestroyWindow(form);
    OleUninitialize();
    return 0;
}
