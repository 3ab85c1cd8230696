// Loaded into the program under test. Wine passes some window messages only within a
// process (WM_GETICON and WM_QUERYDRAGICON among them), so these ask from inside it,
// as the window system itself does. Each answers through its thread's exit code.
#include <windows.h>

extern "C" {

__declspec(dllexport) DWORD WINAPI QueryDragIcon(LPVOID window)
{
    return DWORD(SendMessageA(static_cast<HWND>(window), WM_QUERYDRAGICON, 0, 0));
}

__declspec(dllexport) DWORD WINAPI QueryBigIcon(LPVOID window)
{
    return DWORD(SendMessageA(static_cast<HWND>(window), WM_GETICON, ICON_BIG, 0));
}

}  // extern "C"

extern "C" {

// 0 when the window's system menu ends with a separator and the About entry (command
// 0x0010 with the text of string 101); otherwise the number of the first check that failed.
__declspec(dllexport) DWORD WINAPI CheckAboutMenu(LPVOID window)
{
    HMENU menu = GetSystemMenu(static_cast<HWND>(window), FALSE);
    if (menu == nullptr)
        return 1;
    const int count = GetMenuItemCount(menu);
    if (count < 2)
        return 2;
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, count - 2, TRUE, &separator) || (separator.fType & MFT_SEPARATOR) == 0)
        return 3;
    if (GetMenuItemID(menu, count - 1) != 0x0010)
        return 4;
    char text[256] = {}, expected[256] = {};
    GetMenuStringA(menu, count - 1, text, sizeof(text), MF_BYPOSITION);
    if (LoadStringA(GetModuleHandleA(nullptr), 101, expected, sizeof(expected)) == 0 || lstrcmpA(text, expected) != 0)
        return 5;
    return 0;
}

}  // extern "C"
