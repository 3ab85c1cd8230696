// A window handle with the few operations the program calls on it.
#pragma once

#include <windows.h>

#include "Menu.h"

class CWnd {
public:
    HWND m_hWnd = nullptr;

    int GetWindowTextA(char* buffer, int maxCount) const { return ::GetWindowTextA(m_hWnd, buffer, maxCount); }
    void SetWindowTextA(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    // The window's current system menu (revert false), or a null menu when it has none.
    CMenu GetSystemMenu(BOOL revert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, revert)); }

    // A modal box owned by this window; without a caption it carries the application name.
    int MessageBoxA(const char* text, const char* caption = nullptr, UINT type = MB_OK);
};
