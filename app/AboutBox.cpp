#include "AboutBox.h"

#include "framework/WinApp.h"

namespace {

HBITMAP theScaledLogo = nullptr;  // made once and kept for the process's life, like the window icon

// The dialog's picture: the static control showing a bitmap (it has no id of its own).
HWND FindPicture(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    return nullptr;
}

// The logo at the display's scale, or none at 100 %. An icon is 32 pixels wide at 96 DPI, so
// the system's icon size tells the scale, without a graphics library of our own to ask.
HBITMAP ScaledLogo()
{
    const int iconSize = GetSystemMetrics(SM_CXICON);
    const HINSTANCE instance = AfxFindResourceHandle();
    const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDB_ABOUT_LOGO), RT_BITMAP);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(instance, found)));
    if (theScaledLogo == nullptr && iconSize != 32 && header != nullptr) {
        const LONG height = header->biHeight < 0 ? -header->biHeight : header->biHeight;  // negative: top-down
        theScaledLogo = static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(IDB_ABOUT_LOGO), IMAGE_BITMAP,
                                                        MulDiv(header->biWidth, iconSize, 32),
                                                        MulDiv(height, iconSize, 32), 0));
    }
    return theScaledLogo;
}

}  // namespace

// Windows stretches no dialog of a DPI-aware program: the template's bitmap would stay at
// its 96-DPI size while the text around it grows.
BOOL CAboutBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (const HBITMAP logo = ScaledLogo())
        ::SendMessageA(FindPicture(m_hWnd), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo));
    return TRUE;
}
