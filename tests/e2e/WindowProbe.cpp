// Loaded into the program under test by RemoteProbe's message hook; answers its questions
// on the window's own thread, as the window system itself would ask them there.
#include "RemoteProbe.h"

using e2e::AboutMenuCheck;
using e2e::ProbeQuestion;

namespace {

constexpr UINT kAboutCommand = 0x0010;
constexpr UINT kAboutText = 101;

AboutMenuCheck CheckAboutMenu(HWND window)
{
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr)
        return AboutMenuCheck::NoSystemMenu;
    const int count = GetMenuItemCount(menu);
    if (count < 2)
        return AboutMenuCheck::TooFewItems;
    MENUITEMINFOA separator = {};
    separator.cbSize = sizeof(separator);
    separator.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoA(menu, count - 2, TRUE, &separator) || (separator.fType & MFT_SEPARATOR) == 0)
        return AboutMenuCheck::NoSeparator;
    if (GetMenuItemID(menu, count - 1) != kAboutCommand)
        return AboutMenuCheck::WrongCommand;
    // Wide, so that the Korean text compares exactly on every system code page.
    wchar_t text[256] = {}, expected[256] = {};
    GetMenuStringW(menu, count - 1, text, 256, MF_BYPOSITION);
    if (LoadStringW(GetModuleHandleW(nullptr), kAboutText, expected, 256) == 0 || lstrcmpW(text, expected) != 0)
        return AboutMenuCheck::WrongText;
    return AboutMenuCheck::Passes;
}

LRESULT Answer(HWND window, ProbeQuestion question)
{
    switch (question) {
    case ProbeQuestion::Ping:
        return e2e::kPingAnswer;
    case ProbeQuestion::DragIcon:
        return SendMessageA(window, WM_QUERYDRAGICON, 0, 0);
    case ProbeQuestion::BigIcon:
        return SendMessageA(window, WM_GETICON, ICON_BIG, 0);
    case ProbeQuestion::AboutMenu:
        return LRESULT(CheckAboutMenu(window));
    }
    return 0;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK AnswerProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    // The reply goes back to the asker at once; the dialog then sees a message it ignores.
    if (code == HC_ACTION && sent.message == RegisterWindowMessageA(e2e::kProbeMessageName))
        ReplyMessage(Answer(sent.hwnd, ProbeQuestion(sent.wParam)));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
