#include "ResourceString.h"

#include "WinApp.h"

BOOL CString::LoadStringA(UINT id)
{
    m_text[0] = '\0';
    return ::LoadStringA(AfxFindResourceHandle(), id, m_text, sizeof(m_text)) > 0;
}
