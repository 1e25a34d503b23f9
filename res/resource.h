// Resource and command identifiers of Corvale; shared by the .rc file and the code.
#pragma once

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_SPLASH 103
#define IDD_PROGRESS 149
#define IDD_COOKIE_KEEP 315

// Menu
#define IDR_CONTEXT_MENU 137

// Icons
#define IDI_APP 128
#define IDI_RECYCLE_BIN 144

// Skin images, resource type "GIF" (152 is a JPEG stored under the same type)
#define IDG_PAGE_GENERAL 129
#define IDG_PAGE_INTERNET 130
#define IDG_PAGE_SYSTEM 131
#define IDG_ABOUT 134
#define IDG_COOKIE_KEEP 136
#define IDG_PROGRESS 150
#define IDG_SPLASH 152

// HTML
#define IDH_LICENCE 151

// Controls
#define IDC_PICTURE 1000
#define IDC_PROGRESS_LIST 1012
#define IDC_ABOUT_HTML 1013
#define IDC_SPLASH_PICTURE 1014
#define IDC_KEEP_LIST 1024
#define IDC_COOKIE_LIST 1025
#define IDC_MOVE_RIGHT 1047
#define IDC_MOVE_LEFT 1048
#define IDC_MOVE_ALL_LEFT 1049

// Commands
#define ID_COOKIE_KEEP 32771
#define ID_CHECK_ALL 32772
#define ID_UNCHECK_ALL 32773
#define ID_CLEAN_NOW 32774
#define ID_PAGE_INTERNET 32775
#define ID_PAGE_SYSTEM 32776
#define ID_PAGE_GENERAL 32777
#define ID_HOME_PAGE 32778
#define ID_PRODUCT_PAGE 32779
#define ID_ABOUT 32780
#define ID_EXIT 32781
#define ID_RECYCLE_BIN 32782
#define ID_TRAY_ICON 32784
#define ID_SHOW_PROGRESS 32785
#define ID_OPEN 32786
#define ID_AUTO_CLOSE 32787
