// The one application object and the start-up that runs it.
#pragma once

#include <windows.h>

#include "Wnd.h"

class CWinApp {
public:
    // Static construction: the one application object registers itself here.
    CWinApp();
    ~CWinApp() = default;  // the one object is static: never deleted
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The whole life of the application; when it returns the process ends.
    virtual BOOL InitInstance() = 0;

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
// The executable's file name without directory and without what follows its last dot.
const char* AfxGetAppName();
// The module that holds the program's resources.
HINSTANCE AfxFindResourceHandle();

int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
