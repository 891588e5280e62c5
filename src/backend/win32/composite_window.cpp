#include "backend/win32/composite_window.h"

#include "server/com/module.h"

#include <exception>
#include <stdexcept>
#include <string>

namespace quillomet::win32 {
namespace {

constexpr wchar_t ClassName[] = L"QuillometComposite";

void RegisterClassOnce() {
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(com::ModuleInstance(), ClassName, &existing))
        return;
    WNDCLASSEXW wc{sizeof wc};
    wc.style = CS_DBLCLKS;           // the drop button has a double-click event
    wc.lpfnWndProc = DefWindowProcW; // replaced per window below
    wc.hInstance = com::ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = ClassName;
    RegisterClassExW(&wc);
}

} // namespace

void ReportDroppedError(const char* where) noexcept {
    try {
        throw;
    } catch (const std::exception& error) {
        const std::string text = std::string("Quillomet: ") + where + ": " + error.what() + "\n";
        OutputDebugStringA(text.c_str());
    } catch (...) {
        OutputDebugStringA("Quillomet: unknown error dropped\n");
    }
}

HWND CompositeWindow::ParkingWindow() {
    struct Parking {
        HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      nullptr, nullptr);
        ~Parking() {
            if (window)
                DestroyWindow(window);
        }
    };
    thread_local Parking parking;
    return parking.window;
}

CompositeWindow::CompositeWindow() {
    RegisterClassOnce();
    m_Window =
        CreateWindowExW(WS_EX_CONTROLPARENT, ClassName, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 116,
                        20, ParkingWindow(), nullptr, com::ModuleInstance(), nullptr);
    if (!m_Window)
        throw std::runtime_error("the control's window could not be created");
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

CompositeWindow::~CompositeWindow() {
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
    DestroyWindow(m_Window);
}

LRESULT CALLBACK CompositeWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<CompositeWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        const Hold hold(*self);
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        ReportDroppedError("control window");
        return 0;
    }
}

LRESULT CompositeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const auto it = m_Commands.find(reinterpret_cast<HWND>(lParam));
        if (it != m_Commands.end()) {
            it->second(HIWORD(wParam));
            return 0;
        }
        break;
    }
    case WM_TIMER: {
        const auto it = m_Timers.find(wParam);
        if (it != m_Timers.end()) {
            const TimerHandler handler = it->second; // may remove itself
            handler();
            return 0;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // A read-only or disabled EDIT asks with the latter.
        const auto it = m_Colors.find(reinterpret_cast<HWND>(lParam));
        if (it != m_Colors.end())
            return reinterpret_cast<LRESULT>(it->second(reinterpret_cast<HDC>(wParam)));
        break;
    }
    case WM_PAINT: {
        if (m_BeforePaint)
            m_BeforePaint();
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_Window, &ps);
        if (m_Paint)
            m_Paint(dc);
        EndPaint(m_Window, &ps);
        return 0;
    }
    case WM_SETFOCUS:
        if (m_GotFocus)
            m_GotFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        if (m_LostFocus)
            m_LostFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        if (m_Mouse && m_Mouse(message, wParam, lParam))
            return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(m_Window, message, wParam, lParam);
}

} // namespace quillomet::win32
