#include "UpgradeDlg.h"

#include <cstring>

#include "AboutBox.h"
#include "PackageReader.h"
#include "framework/PaintDC.h"
#include "framework/ResourceString.h"
#include "framework/WinApp.h"

namespace {

// The process's one package reader: opened when the dialog initialises, closed by
// whichever button ends it.
package::CPackageReader thePackageReader;

constexpr int kCaptionBufferSize = 128;

}  // namespace

const MessageMapEntry<CUpgradeDlg> CUpgradeDlg::kMessageMap[] = {
    {WM_SYSCOMMAND, &CUpgradeDlg::OnSysCommand},
    {WM_PAINT, &CUpgradeDlg::OnPaint},
    {WM_QUERYDRAGICON, &CUpgradeDlg::OnQueryDragIcon},
};

CUpgradeDlg::CUpgradeDlg()
    : CDialog(IDD), m_hIcon(LoadIconA(AfxFindResourceHandle(), MAKEINTRESOURCEA(IDI_MAIN)))
{
}

BOOL CUpgradeDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    AddAboutToSystemMenu();
    SendMessageA(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    // Without a package (started from another folder) the caption stays as it is.
    if (const auto identity = thePackageReader.OpenSelf(AfxGetAppName()))
        ShowPackageInCaption(identity->label.data(), identity->targetName.data());
    return TRUE;
}

void CUpgradeDlg::AddAboutToSystemMenu()
{
    CMenu systemMenu = GetSystemMenu(FALSE);
    if (systemMenu.IsNull())
        return;
    CStringW aboutText;
    aboutText.LoadStringW(IDS_ABOUT_MENU);
    if (aboutText.IsEmpty())
        return;
    systemMenu.AppendMenuW(MF_SEPARATOR);
    systemMenu.AppendMenuW(MF_STRING, IDM_ABOUT, aboutText.GetString());
}

void CUpgradeDlg::ShowPackageInCaption(const char* label, const char* targetName)
{
    char suffix[kCaptionBufferSize] = {};
    std::strcat(suffix, " - ");
    std::strcat(suffix, label);
    std::strcat(suffix, " < ");
    std::strcat(suffix, targetName);
    std::strcat(suffix, " > ");

    // A template caption too long to leave room for the whole suffix is cut, between
    // characters: never through a double-byte one.
    char caption[kCaptionBufferSize] = {};
    GetWindowTextA(caption, kCaptionBufferSize);
    const char* room = caption + (kCaptionBufferSize - 1 - std::strlen(suffix));
    char* end = caption;
    while (*end != '\0' && CharNextA(end) <= room)
        end = CharNextA(end);
    *end = '\0';
    std::strcat(caption, suffix);
    SetWindowTextA(caption);
}

void CUpgradeDlg::OnOK()
{
    const package::ExtractResult result = thePackageReader.VerifyAndExtract();
    if (const char* message = package::ExtractResultMessage(result))
        MessageBoxA(message);
    thePackageReader.Close();
    CDialog::OnOK();
}

void CUpgradeDlg::OnCancel()
{
    thePackageReader.Close();
    CDialog::OnCancel();
}

bool CUpgradeDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return DispatchMessageMap(this, kMessageMap, message, wParam, lParam, result);
}

bool CUpgradeDlg::OnSysCommand(WPARAM command, LPARAM, LRESULT&)
{
    if ((command & 0xFFF0) != IDM_ABOUT)
        return false;
    CAboutBox about;
    about.DoModal();
    return true;
}

bool CUpgradeDlg::OnPaint(WPARAM, LPARAM, LRESULT&)
{
    if (!IsIconic())
        return false;
    CPaintDC dc(m_hWnd);
    SendMessageA(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Handle()), 0);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.Handle(), x, y, m_hIcon);
    return true;
}

bool CUpgradeDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result)
{
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}
