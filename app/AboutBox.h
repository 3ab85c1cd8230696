// The About box: names the tool and its version. Its OK button, Esc and the close box
// end it through the dialog's default handling.
#pragma once

#include "framework/Dialog.h"
#include "resource.h"

class CAboutBox : public CDialog {
public:
    enum { IDD = IDD_ABOUT_BOX };

    // Without a parent: the main window, the upgrade dialog, owns it.
    CAboutBox() : CDialog(IDD) {}

protected:
    // Shows the picture at the display's scale, as the dialog's text and controls are.
    BOOL OnInitDialog() override;
};
