// Resource numbers; every one the program and its resource script share lives here.
#pragma once

#define IDD_UPGRADE_DIALOG 102
#define IDI_MAIN 128
