#pragma once

#include "backend/memory/memory_about.h"
#include "backend/memory/memory_calculator_window.h"
#include "backend/memory/memory_children.h"
#include "backend/memory/memory_text_box.h"
#include "toolkit/toolkit.h"

#include <deque>
#include <functional>
#include <string>

namespace quillomet::memory {

// Children and services in memory, deterministic: a simulated clock for the
// timers, a queue for window messages, a clipboard string. Keeps a view of
// the children it made for tests.
class MemoryToolkit final : public Toolkit {
public:
    std::unique_ptr<quillomet::TextBox> CreateTextBox(TextBoxEvents& events,
                                                      const Geometry& geometry) override;
    std::unique_ptr<quillomet::Spinner> CreateSpinner(SpinnerEvents& events,
                                                      const Geometry& geometry) override;
    std::unique_ptr<quillomet::Image> CreateImage(ImageEvents* events, const Geometry& geometry,
                                                  Glyph glyph, bool visible) override;
    std::unique_ptr<quillomet::Timer> CreateTimer(TimerEvents& events,
                                                  std::int32_t intervalMilliseconds) override;

    void Beep() override { ++m_Beeps; }
    void AnnounceValueChange() override { ++m_ValueAnnouncements; }
    void ClearClipboard() override { m_Clipboard.clear(); }
    void SetClipboardText(std::string_view text) override { m_Clipboard.assign(text); }
    std::string ClipboardText() override { return m_Clipboard; }
    // The host's message loop, once: runs the messages queued before the
    // call; those they queue wait.
    void ProcessPendingMessages();
    void SendTab() override;
    std::unique_ptr<quillomet::CalculatorWindow>
    CreateCalculatorWindow(CalculatorWindowEvents& events) override;
    ScreenRect ControlWindowRect() override { return m_ControlWindowRect; }
    double TwipsPerPixelX() override { return m_TwipsPerPixel; }
    double TwipsPerPixelY() override { return m_TwipsPerPixel; }
    char DecimalSeparator() override { return m_DecimalSeparator; }
    std::unique_ptr<AboutWindow> CreateAboutWindow() override {
        ++m_AboutWindowsShown;
        return std::make_unique<MemoryAboutWindow>(m_AboutScript, m_AboutRaised);
    }
    PlatformServices& Platform() override { return m_Platform; }

    // A window message, to be processed by the next pump.
    void Post(std::function<void()> message) { m_Queue.push_back(std::move(message)); }

    MemoryTextBox& Field() const { return *m_TextBox; }
    // The spinner and timer exist once the control has made them.
    bool HasSpinner() const { return m_Spinner != nullptr; }
    MemorySpinner& Spinner() const { return *m_Spinner; }
    // The images in the order made: the drop button first.
    MemoryImage& Image(std::size_t index) const { return *m_Images.at(index); }
    std::size_t ImageCount() const { return m_Images.size(); }
    // The image made with `glyph` that starts hidden (a picture holder).
    MemoryImage& HiddenImage(Glyph glyph) const;
    bool HasTimer() const { return m_Timer != nullptr; }
    MemoryTimer& Timer() const { return *m_Timer; }

    MemoryClock m_Clock;
    std::string m_Clipboard;
    int m_Beeps = 0;
    int m_ValueAnnouncements = 0;
    int m_TabsSent = 0;
    // What a queued Tab does when the pump delivers it (moves the focus on).
    std::function<void()> m_OnTab;
    ScreenRect m_ControlWindowRect{100, 200, 216, 220};
    double m_TwipsPerPixel = 15;
    char m_DecimalSeparator = '.';
    // The calculator window while one exists (on any control's toolkit).
    MemoryCalculatorWindow* m_CalculatorWindow = nullptr;
    int m_CalculatorWindowsMade = 0;
    MemoryPlatform m_Platform;
    // What the user does in the about dialog, and how it is closed.
    MemoryAboutWindow::Script m_AboutScript;
    int m_AboutWindowsShown = 0;
    int m_AboutRaised = 0; // requests while a box was up

private:
    std::deque<std::function<void()>> m_Queue;
    MemoryTextBox* m_TextBox = nullptr;
    MemorySpinner* m_Spinner = nullptr;
    std::vector<MemoryImage*> m_Images;
    std::vector<std::pair<Glyph, MemoryImage*>> m_Holders;
    MemoryTimer* m_Timer = nullptr;
    std::int32_t m_NextHandle = 0x10010;
};

} // namespace quillomet::memory
