// A modal dialog built from a dialog template resource.
#pragma once

#include <windows.h>

#include "Wnd.h"

class CDialog : public CWnd {
public:
    // Without a parent, the application's main window (when it has one) owns the dialog.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() = default;  // nothing deletes a dialog through a base pointer
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; returns IDOK, IDCANCEL or -1 if it could not be made.
    INT_PTR DoModal();

protected:
    // Called once the window exists, before it is shown; TRUE puts the focus on the first control.
    virtual BOOL OnInitDialog();
    // Called for the IDOK button, also Enter on the default button; ends the dialog with IDOK.
    virtual void OnOK();
    // Called for the IDCANCEL button, Esc and the close box; ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // The derived class's message map; false asks for the default handling.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL InitDialog();
    bool HandleCommand(WPARAM wParam);
    HWND Owner() const;

    UINT m_templateId;
    CWnd* m_parent;
};
