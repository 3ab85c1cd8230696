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
