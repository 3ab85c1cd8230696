// Hooked into the carrier's dialog thread by the test, to pass on there a message answered with a
// handle (Wine sends those within a process only), or to answer what only the carrier's own
// fonts and menus can tell.
#include <windows.h>

#include <algorithm>

#include "ProbeMessage.h"

namespace {

// Whether `font` has a glyph for every character of `text` and draws it within the size given.
bool DrawnWhole(const wchar_t* text, HFONT font, LONG width, LONG height)
{
    const int length = lstrlenW(text);
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    SIZE size = {};
    WORD glyphs[256] = {};
    GetTextExtentPoint32W(dc, text, length, &size);
    const bool glyphed = GetGlyphIndicesW(dc, text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == DWORD(length) &&
                         std::find(glyphs, glyphs + length, 0xFFFF) == glyphs + length;
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return glyphed && size.cx <= width && size.cy <= height;
}

LRESULT Layout(HWND window)
{
    RECT client, place, otherPlace, overlap;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);  // on the screen, as the controls' places
    WORD faults = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowRect(child, &place);
        bool fault = !IntersectRect(&overlap, &place, &client) || !EqualRect(&overlap, &place);
        for (HWND other = GetWindow(child, GW_HWNDNEXT); other; other = GetWindow(other, GW_HWNDNEXT))
            fault = fault || (GetWindowRect(other, &otherPlace) && IntersectRect(&overlap, &place, &otherPlace));
        wchar_t text[256] = {};
        const bool picture = (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;  // its text names it
        const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        fault = fault || (!picture && GetWindowTextW(child, text, 256) > 0 &&
                          !DrawnWhole(text, font, place.right - place.left, place.bottom - place.top));
        faults += fault;
    }
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return MAKELONG(1 + faults, font.lfHeight < 0 ? -font.lfHeight : font.lfHeight);
}

// The system menu's last entry, behind a separator, when its font draws it whole.
LRESULT MenuEntry(HWND dialog)
{
    const HMENU menu = GetSystemMenu(dialog, FALSE);
    const int count = GetMenuItemCount(menu);
    wchar_t text[256] = {};
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    const HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    const bool whole = count >= 2 && (GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR) != 0 &&
                       GetMenuStringW(menu, count - 1, text, 256, MF_BYPOSITION) > 0 &&
                       DrawnWhole(text, font, LONG_MAX, LONG_MAX);
    DeleteObject(font);
    return whole ? GlobalAddAtomW(text) : 0;
}

LRESULT Answer(HWND window, WPARAM question, LPARAM parameter)
{
    switch (question) {
    case kProbeLayout:
        return Layout(window);
    case kProbeMenuEntry:
        return MenuEntry(window);
    default:  // a message to pass on; the dialog then ignores the probe's own
        return SendMessageW(window, UINT(question), parameter, 0);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK AnswerProbe(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent.message == RegisterWindowMessageA(kProbeMessage))
        ReplyMessage(Answer(sent.hwnd, sent.wParam, sent.lParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
