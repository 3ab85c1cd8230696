#include "UpgradeApp.h"

#include "UpgradeDlg.h"

// The one application object, constructed before the program's entry runs.
static CUpgradeApp theApp;

BOOL CUpgradeApp::InitInstance()
{
    CUpgradeDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();  // either button has done its work inside the dialog
    m_pMainWnd = nullptr;
    return FALSE;
}
