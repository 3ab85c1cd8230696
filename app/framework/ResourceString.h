// Text loaded from the program's string table, in a fixed buffer. Wide, so that the Korean
// texts of the table read the same on every system code page.
#pragma once

#include <windows.h>

class CStringW {
public:
    // Loads string `id`; the text is empty when the table has no such string.
    BOOL LoadStringW(UINT id);

    bool IsEmpty() const { return m_text[0] == L'\0'; }
    const wchar_t* GetString() const { return m_text; }

private:
    wchar_t m_text[256] = {};
};
