#include "ResourceString.h"

#include "WinApp.h"

BOOL CStringW::LoadStringW(UINT id)
{
    m_text[0] = L'\0';
    return ::LoadStringW(AfxFindResourceHandle(), id, m_text, sizeof(m_text) / sizeof(m_text[0])) > 0;
}
