// Where a dialog opens: a template placed at 0, 0 is centred, over its owner when it
// has a visible one and on the screen otherwise.
#pragma once

#include <windows.h>

// True when the dialog template `templateId` places the dialog at 0, 0.
bool TemplateAtOrigin(HINSTANCE module, UINT templateId);

void CenterWindow(HWND window);
