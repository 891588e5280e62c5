#pragma once

#include "backend/win32/screen_units.h"
#include "calculator/calculator_layout.h"
#include "toolkit/calculator_window.h"
#include "win32com/gdi_objects.h"
#include "win32com/module.h"

#include <windows.h>

#include <vector>

namespace quillomet::win32 {

// The calculator as a real modeless top-level pop-up with no owner: push
// buttons, the yellow readout, key preview (keys reach the calculator
// whichever button holds the focus), activation and a watch timer.
class Win32CalculatorWindow final : public CalculatorWindow {
public:
    // Placed in twips of the screen as its control converts them, at
    // `placementDpi`.
    Win32CalculatorWindow(CalculatorWindowEvents& events, int placementDpi);
    ~Win32CalculatorWindow() override;
    Win32CalculatorWindow(const Win32CalculatorWindow&) = delete;
    Win32CalculatorWindow& operator=(const Win32CalculatorWindow&) = delete;

    void SetReadout(std::string_view text) override;
    void Move(std::int32_t leftTwips, std::int32_t topTwips) override;
    void Show() override;
    bool IsActive() const override { return GetActiveWindow() == m_Window; }
    void Drag() override;
    void ShowMessage(std::string_view text, std::string_view title) override;
    void StartTimer(std::int32_t milliseconds) override;

    static constexpr const wchar_t* ClassName = L"QuillometCalculator";

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK ChildProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateChildren();
    // The children placed and lettered for `dpi` pixels per inch; the
    // fonts of the old resolution go after the children left them.
    void Scale(int dpi);
    int Pixels(std::int32_t twips) const { return TwipsToPixels(twips, m_Dpi); }
    bool Inside(HWND window) const;

    // The window can outlive its owner (closing once a notification the
    // owner's release interrupted ends): the library stays for it.
    com::ServerLock m_ServerLock;
    CalculatorWindowEvents& m_Events;
    HWND m_Window = nullptr;
    HWND m_Readout = nullptr;
    com::unique_hbrush m_Background;
    com::unique_hbrush m_ReadoutBackground;
    std::vector<com::unique_hfont> m_Fonts;
    // The window's pixels per inch, and its children in the layout's order.
    int m_Dpi = 96;
    const int m_PlacementDpi;
    std::vector<HWND> m_Children;
    std::vector<std::pair<HWND, CalculatorButton>> m_Buttons;
};

} // namespace quillomet::win32
