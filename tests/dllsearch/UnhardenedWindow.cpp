// The control case: a program that creates a window without restricting its DLL search,
// so that a planted uxtheme.dll beside it is loaded (proving the plant would be found).
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND window = CreateWindowExA(0, "BUTTON", "control", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 50, nullptr,
                                  nullptr, instance, nullptr);
    DestroyWindow(window);
    return 0;
}
