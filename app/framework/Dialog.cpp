#include "Dialog.h"

#include "DialogPlacement.h"
#include "WinApp.h"

namespace {

// Messages whose result a dialog procedure returns itself rather than through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal()
{
    // Built as a Unicode window, so that the templates' Korean texts show on any system
    // code page; the program's own text still goes through the A functions.
    return DialogBoxParamW(AfxFindResourceHandle(), MAKEINTRESOURCEW(m_templateId), Owner(), DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(m_hWnd, IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(m_hWnd, IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

HWND CDialog::Owner() const
{
    if (m_parent != nullptr)
        return m_parent->m_hWnd;
    CWinApp* app = AfxGetApp();
    CWnd* main = app != nullptr ? app->m_pMainWnd : nullptr;
    return main != nullptr && main != this ? main->m_hWnd : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The object travels in WM_INITDIALOG's lParam and is kept in the window's user data.
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return dialog != nullptr ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return InitDialog();
    if (message == WM_COMMAND)
        return HandleCommand(wParam);
    if (message == WM_NCDESTROY)
        m_hWnd = nullptr;

    LRESULT result = 0;
    if (!OnMessage(message, wParam, lParam, result))
        return FALSE;  // the dialog manager's default handling
    if (ReturnsResultDirectly(message))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

BOOL CDialog::InitDialog()
{
    RECT before, after;
    GetWindowRect(m_hWnd, &before);
    const BOOL focusFirst = OnInitDialog();
    GetWindowRect(m_hWnd, &after);
    const bool moved = before.left != after.left || before.top != after.top;
    if (!moved && TemplateAtOrigin(AfxFindResourceHandle(), m_templateId))
        CenterWindow(m_hWnd);
    return focusFirst;
}

bool CDialog::HandleCommand(WPARAM wParam)
{
    if (HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}
