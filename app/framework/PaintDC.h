// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include <windows.h>

class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window), m_hDC(BeginPaint(window, &m_paint)) {}
    ~CPaintDC() { EndPaint(m_window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Handle() const { return m_hDC; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_hDC;
};
