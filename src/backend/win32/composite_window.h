#pragma once

#include <windows.h>

#include <functional>
#include <map>

namespace quillomet::win32 {

// The control's own window, parent of its children. Until a container
// gives it a place it lives hidden, parked under the desktop, so a control
// created by a script works fully without being shown.
class CompositeWindow {
public:
    CompositeWindow();
    ~CompositeWindow();
    CompositeWindow(const CompositeWindow&) = delete;
    CompositeWindow& operator=(const CompositeWindow&) = delete;

    HWND Handle() const { return m_Window; }

    // Handlers of the messages children send to their parent, by child.
    using CommandHandler = std::function<void(WORD code)>;
    void OnCommand(HWND child, CommandHandler handler) { m_Commands[child] = std::move(handler); }
    using TimerHandler = std::function<void()>;
    void OnTimer(UINT_PTR id, TimerHandler handler) { m_Timers[id] = std::move(handler); }
    void RemoveTimer(UINT_PTR id) { m_Timers.erase(id); }
    using ColorHandler = std::function<HBRUSH(HDC dc)>;
    void OnControlColor(HWND child, ColorHandler handler) { m_Colors[child] = std::move(handler); }
    using PaintHandler = std::function<void(HDC dc)>;
    void OnPaint(PaintHandler handler) { m_Paint = std::move(handler); }
    using MouseHandler = std::function<bool(UINT message, WPARAM, LPARAM)>;
    void OnMouse(MouseHandler handler) { m_Mouse = std::move(handler); }

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_Window = nullptr;
    std::map<HWND, CommandHandler> m_Commands;
    std::map<UINT_PTR, TimerHandler> m_Timers;
    std::map<HWND, ColorHandler> m_Colors;
    PaintHandler m_Paint;
    MouseHandler m_Mouse;
};

// Logs an error that a window procedure must swallow: Windows offers no
// caller to return it to.
void ReportDroppedError(const char* where) noexcept;

} // namespace quillomet::win32
