// Hooked into the carrier's dialog thread by the test, to pass on there a message answered with a
// handle: Wine sends those within a process only.
#include <windows.h>

#include "ProbeMessage.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK AnswerProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == RegisterWindowMessageA(kProbeMessage))
        ReplyMessage(SendMessageW(sent.hwnd, UINT(sent.wParam), sent.lParam, 0));  // the dialog then ignores it
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
