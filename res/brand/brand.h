// What names the carrier's maker, for the resource script: a vendor builds a stub in its own name
// from a copy of this folder (the cache variable ORVANE_BRAND_DIR) with its own texts here, its
// icon in OrvaneFirmUp.ico and its About picture (105 x 21 pixels) in AboutLogo.bmp. UTF-8.
#pragma once

// The version block, which Windows shows in the file's properties.
#define BRAND_COMPANY_NAME ""
#define BRAND_FILE_DESCRIPTION "OrvaneFirmUp MFC 응용 프로그램"
#define BRAND_INTERNAL_NAME "OrvaneFirmUp"
#define BRAND_ORIGINAL_FILENAME "OrvaneFirmUp.EXE"
#define BRAND_PRODUCT_NAME "OrvaneFirmUp 응용 프로그램"
#define BRAND_LEGAL_TRADEMARKS ""
// The version block's LegalCopyright and the About box's second line.
#define BRAND_COPYRIGHT "Copyright (C) 2026 Orvane"

// The About box: its caption and first line, and its entry in the dialog's system menu.
#define BRAND_ABOUT_CAPTION "Orvane Firmware Upgrade Information"
#define BRAND_ABOUT_TITLE "Orvane Firmware Upgrade Ver 1.0"
#define BRAND_ABOUT_MENU "OrvaneFirmUp 정보(&A)..."
