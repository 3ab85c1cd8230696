// A menu handle the program does not own (the system menu belongs to its window).
#pragma once

#include <windows.h>

class CMenu {
public:
    static CMenu FromHandle(HMENU menu) { return CMenu(menu); }

    bool IsNull() const { return m_hMenu == nullptr; }
    // Adds an item at the end: a separator, or a text item with its command ID. Wide, as
    // the texts come from the string table whatever the system's code page.
    BOOL AppendMenuW(UINT flags, UINT_PTR id = 0, const wchar_t* text = nullptr)
    {
        return ::AppendMenuW(m_hMenu, flags, id, text);
    }

    HMENU m_hMenu;

private:
    explicit CMenu(HMENU menu) : m_hMenu(menu) {}
};
