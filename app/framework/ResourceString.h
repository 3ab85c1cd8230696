// Text loaded from the program's string table, in a fixed buffer.
#pragma once

#include <windows.h>

class CString {
public:
    // Loads string `id`; the text is empty when the table has no such string.
    BOOL LoadStringA(UINT id);

    bool IsEmpty() const { return m_text[0] == '\0'; }
    const char* GetString() const { return m_text; }

private:
    char m_text[256] = {};
};
