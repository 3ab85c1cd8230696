// The upgrade dialog: shows what the carrier holds and writes it on the first button.
#pragma once

#include "framework/Dialog.h"
#include "framework/MessageMap.h"
#include "resource.h"

class CUpgradeDlg : public CDialog {
public:
    enum { IDD = IDD_UPGRADE_DIALOG };

    CUpgradeDlg();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // WM_SYSCOMMAND: the About entry opens the About box; every other command is the system's.
    bool OnSysCommand(WPARAM command, LPARAM lParam, LRESULT& result);
    // WM_PAINT: draws the icon while minimised; otherwise the default painting.
    bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_QUERYDRAGICON: the icon shown while the minimised window is dragged.
    bool OnQueryDragIcon(WPARAM wParam, LPARAM lParam, LRESULT& result);

    void AddAboutToSystemMenu();
    void ShowPackageInCaption(const char* label, const char* targetName);

    static const MessageMapEntry<CUpgradeDlg> kMessageMap[];

    HICON m_hIcon;
};
