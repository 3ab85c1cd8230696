// Planted beside a program as uxtheme.dll: records that it was loaded, in a file named after
// the program (<program>.exe.planted), and then refuses to stay.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char path[MAX_PATH + 16] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    lstrcatA(path, ".planted");
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return FALSE;
}
