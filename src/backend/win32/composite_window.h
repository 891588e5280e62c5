#pragma once

#include <windows.h>

#include <string>

namespace quillomet::win32 {

// Who answers for the control's windows: the object the control is. It is
// kept alive while one of its windows handles a message, and hears of the
// focus reaching or leaving the control.
class WindowOwner {
public:
    // A host may release the control from inside a notification: the owner
    // lives until the message is handled. Relinquish may destroy it.
    virtual void Retain() = 0;
    virtual void Relinquish() = 0;
    // The control's own window got the focus from `previous`, or lost it
    // to `next`.
    virtual void WindowGotFocus(HWND previous) = 0;
    virtual void WindowLostFocus(HWND next) = 0;
    // The focus crossed the control's boundary at its field.
    virtual void FocusEntered() = 0;
    virtual void FocusLeft() = 0;
    // WM_GETOBJECT's answer for the control's window (0: the system's).
    virtual LRESULT AccessibleObject(WPARAM wParam, LPARAM lParam) = 0;
    // What the owner posted to its window (CompositeWindow::Post) arrives.
    virtual void PostedAction(WPARAM action) = 0;
    // Someone else destroyed the control's window (a host destroying its
    // form): what stood for it goes too; the control makes a new one when
    // next needed.
    virtual void WindowDestroyed() = 0;
    // What a screen reader calls the control, and so its field.
    virtual std::wstring AccessibleName() = 0;

protected:
    ~WindowOwner() = default;
};

// What draws in the window and hears its mouse: the toolkit, with its
// windowless images.
class CompositeContent {
public:
    // The window exists: the children make theirs.
    virtual void Created() = 0;
    // Before each paint, outside BeginPaint: a window shown with a hidden
    // form first learns here that it can be seen.
    virtual void BeforePaint() = 0;
    // The window's pixels per inch changed: the children take their places
    // and sizes in pixels again.
    virtual void ResolutionChanged() = 0;
    virtual void Paint(HDC dc) = 0;
    // True when the message was handled.
    virtual bool Mouse(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~CompositeContent() = default;
};

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
    // One of the window's children: a child window that reports to its
    // parent, or a timer of the parent's. Linked in place, so a control's
    // children cost the window no memory of its own.
    class Child {
    public:
        // The child's window, null while it has none.
        virtual HWND ChildWindow() const { return nullptr; }
        virtual void OnCommand(WORD /*code*/) {}
        // The brush for the child's background, null for the default.
        virtual HBRUSH OnControlColor(HDC /*dc*/) { return nullptr; }
        virtual bool OnTimer(UINT_PTR /*id*/) { return false; }

    protected:
        ~Child() = default;

    private:
        friend class CompositeWindow;
        Child* m_Next = nullptr;
    };

    // Where controls without a container wait, one per thread.
    static HWND ParkingWindow();

    explicit CompositeWindow(CompositeContent& content);
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
    // The pixels per inch of the screen the window is on, or will be on in
    // its container's window: read per window, since a form on a second
    // monitor may have another, and again when the window's changes.
    int Dpi() const { return m_Dpi; }
    // Reads the window's resolution again; the children follow a change.
    void FollowResolution();
    // The container's window and the place in it, remembered for the
    // window's making while it does not exist yet.
    void SetParentWindow(HWND parent);
    void Move(const RECT& place);
    void Resize(int width, int height);
    // Visible, or about to be: the children take their final state just
    // before the window shows, while changing them costs no drawing.
    bool Live() const { return m_Showing || (m_Window && IsWindowVisible(m_Window)); }
    void SetShowing(bool showing) { m_Showing = showing; }

    // A child reports to the window from now on; a child going away is
    // detached first. Children with windows that paint themselves are kept
    // clear of the background.
    void Attach(Child& child);
    void Detach(Child& child);

    // The child whose window this is, if any.
    Child* ChildWith(HWND window) const;

    void SetOwner(WindowOwner* owner) { m_Owner = owner; }
    // Has the owner hear of `action` from the message loop, after whatever
    // is running now has returned; false without a window.
    bool Post(WPARAM action);
    WindowOwner* Owner() const { return m_Owner; }

    // Keeps the window's owner alive while a message is being handled.
    class Hold {
    public:
        explicit Hold(const CompositeWindow& window) : m_Owner(window.m_Owner) {
            if (m_Owner)
                m_Owner->Retain();
        }
        ~Hold() {
            if (m_Owner)
                m_Owner->Relinquish(); // may destroy the window's owner: nothing follows
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        WindowOwner* m_Owner; // a copy: the window's may be cleared meanwhile
    };

private:
    static void RegisterClassOnce();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Create(bool visible);
    void EraseBackground(HDC dc) const;

    CompositeContent& m_Content;
    WindowOwner* m_Owner = nullptr;
    Child* m_Children = nullptr;
    HWND m_Window = nullptr;
    HWND m_ParentWindow = nullptr; // until the window exists: none is parked
    HWND m_LeftParent = nullptr;   // where it stood when last parked
    HWND m_LeftAfter = nullptr;
    RECT m_Place{0, 0, 116, 20};
    int m_Dpi;
    bool m_Showing = false;
    bool m_Creating = false;
};

} // namespace quillomet::win32
