// The application: its whole life is the upgrade dialog, run modally.
#pragma once

#include "framework/WinApp.h"

class CUpgradeApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
