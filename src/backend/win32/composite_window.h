#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <vector>

namespace quillomet::win32 {

// The control's own window, parent of its children. It is made on first
// need: a control a container places before anything asked for a window is
// made where it belongs, at its final place, with its children in their
// final state. On a form that holds many windows every window operation
// (a move, a new parent, showing) costs about as much as making a window,
// so making it in place once is what keeps a form of many controls quick.
// A window made before it has a place lives hidden, parked under a
// message-only window of its thread, so a control created by a script
// works fully without being shown and costs no top-level window.
class CompositeWindow {
public:
    // Where controls without a container wait, one per thread.
    static HWND ParkingWindow();

    CompositeWindow() = default;
    ~CompositeWindow();
    CompositeWindow(const CompositeWindow&) = delete;
    CompositeWindow& operator=(const CompositeWindow&) = delete;

    // The window, made now (hidden) if it does not exist yet.
    HWND Handle();
    // Makes the window visible from the start, for a control placed on a
    // form before it had a window.
    void CreateVisible();
    // The window if it exists, without making it.
    HWND Existing() const { return m_Window; }
    // Runs once the window exists, for the children to make theirs.
    void OnCreate(std::function<void()> handler) { m_Created = std::move(handler); }
    // The container's window and the place in it, remembered for the
    // window's making while it does not exist yet.
    void SetParentWindow(HWND parent);
    void Move(const RECT& place);
    void Resize(int width, int height);
    // Visible, or about to be: the children take their final state just
    // before the window shows, while changing them costs no drawing.
    bool Live() const { return m_Showing || (m_Window && IsWindowVisible(m_Window)); }
    void SetShowing(bool showing) { m_Showing = showing; }

    // Handlers of the messages children send to their parent, by child.
    using CommandHandler = std::function<void(WORD code)>;
    void OnCommand(HWND child, CommandHandler handler) { m_Commands[child] = std::move(handler); }
    using TimerHandler = std::function<void()>;
    void OnTimer(UINT_PTR id, TimerHandler handler) { m_Timers[id] = std::move(handler); }
    void RemoveTimer(UINT_PTR id) { m_Timers.erase(id); }
    using ColorHandler = std::function<HBRUSH(HDC dc)>;
    void OnControlColor(HWND child, ColorHandler handler) { m_Colors[child] = std::move(handler); }
    // A child window that paints itself: the background keeps off it.
    void AddChild(HWND child) { m_Children.push_back(child); }
    // A child going away: its handlers, which may refer to it, go too.
    void Forget(HWND child);
    using PaintHandler = std::function<void(HDC dc)>;
    void OnPaint(PaintHandler handler) { m_Paint = std::move(handler); }
    // Before each paint, outside BeginPaint: a window shown with a hidden
    // form first learns here that it can be seen.
    void OnBeforePaint(std::function<void()> handler) { m_BeforePaint = std::move(handler); }
    using MouseHandler = std::function<bool(UINT message, WPARAM, LPARAM)>;
    void OnMouse(MouseHandler handler) { m_Mouse = std::move(handler); }
    // The window that had, or gets, the focus.
    using FocusHandler = std::function<void(HWND other)>;
    void OnFocus(FocusHandler gotFocus, FocusHandler lostFocus) {
        m_GotFocus = std::move(gotFocus);
        m_LostFocus = std::move(lostFocus);
    }

    // Keeps the object that owns this window alive while a message is being
    // handled: a host may release the control from inside a notification.
    using Lifetime = std::function<void()>;
    void SetLifetime(Lifetime addRef, Lifetime release) {
        m_AddRef = std::move(addRef);
        m_Release = std::move(release);
    }
    class Hold {
    public:
        explicit Hold(const CompositeWindow& window) : m_Release(window.m_Release) {
            if (window.m_AddRef)
                window.m_AddRef();
        }
        ~Hold() {
            if (m_Release)
                m_Release(); // may destroy the window's owner: nothing follows
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Lifetime m_Release; // a copy: the owner's may be gone when it runs
    };

private:
    static void RegisterClassOnce();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Create(bool visible);
    void EraseBackground(HDC dc) const;

    HWND m_Window = nullptr;
    HWND m_ParentWindow = nullptr; // until the window exists: none is parked
    HWND m_LeftParent = nullptr;   // where it stood when last parked
    HWND m_LeftAfter = nullptr;
    RECT m_Place{0, 0, 116, 20};
    std::function<void()> m_Created;
    bool m_Showing = false;
    bool m_Creating = false;
    std::map<HWND, CommandHandler> m_Commands;
    std::map<UINT_PTR, TimerHandler> m_Timers;
    std::map<HWND, ColorHandler> m_Colors;
    PaintHandler m_Paint;
    std::vector<HWND> m_Children;
    std::function<void()> m_BeforePaint;
    MouseHandler m_Mouse;
    FocusHandler m_GotFocus;
    FocusHandler m_LostFocus;
    Lifetime m_AddRef;
    Lifetime m_Release;
};

// Logs an error that a window procedure must swallow: Windows offers no
// caller to return it to.
void ReportDroppedError(const char* where) noexcept;

} // namespace quillomet::win32
