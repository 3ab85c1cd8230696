// Hooked into the carrier's dialog thread by the test, to answer there what Wine answers only there.
#include <windows.h>

namespace {

// The system menu ends with a separator and the About entry: command 0x0010, string 101.
bool AboutEntryEndsTheSystemMenu(HWND dialog)
{
    HMENU menu = GetSystemMenu(dialog, FALSE);
    const int count = menu ? GetMenuItemCount(menu) : 0;
    wchar_t text[256] = {}, expected[256] = {};  // wide: the Korean text compares on every code page
    return count >= 2 && (GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) &&
           GetMenuItemID(menu, count - 1) == 0x0010 && GetMenuStringW(menu, count - 1, text, 256, MF_BYPOSITION) &&
           LoadStringW(GetModuleHandleW(nullptr), 101, expected, 256) && lstrcmpW(text, expected) == 0;
}

bool DragsTheWindowIcon(HWND dialog)
{
    const LRESULT dragged = SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
    return dragged && dragged == SendMessageW(dialog, WM_GETICON, ICON_BIG, 0);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK AnswerProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == RegisterWindowMessageA("OrvaneE2eProbe")) {
        const bool holds = sent.wParam ? DragsTheWindowIcon(sent.hwnd) : AboutEntryEndsTheSystemMenu(sent.hwnd);
        ReplyMessage(holds ? 'Y' : 'N');  // at once; the dialog then ignores the message
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
