// Resource numbers; every one the program and its resource script share lives here.
#pragma once

#define IDD_ABOUT_BOX 100
#define IDS_ABOUT_MENU 101
#define IDD_UPGRADE_DIALOG 102
#define IDI_MAIN 128
#define IDB_ABOUT_LOGO 130

// System-menu command of the About entry; the system keeps the low four bits.
#define IDM_ABOUT 0x0010
