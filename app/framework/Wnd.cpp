#include "Wnd.h"

#include "WinApp.h"

int CWnd::MessageBoxA(const char* text, const char* caption, UINT type)
{
    return ::MessageBoxA(m_hWnd, text, caption != nullptr ? caption : AfxGetAppName(), type);
}
