#pragma once
// Resource ids of ZViewer.exe: dialogs, bitmaps, icons, cursors, strings.
// Command ids live in mainwnd/command_ids.h.

#define IDR_MAINFRAME 128      // program icon, menu, toolbar and accelerators of the main frame
#define IDD_INFORMATION 100
#define IDD_SPLASH 173
#define IDB_SPLASH 174
#define IDI_FOLDER_FALLBACK 154  // folder tree: folder icon when shell32's cannot be extracted
#define IDI_TRAY_DISCONNECTED 176  // tray icon while the copyboard is not connected
#define IDI_TRAY_CONNECTED 177     // tray icon while it is connected
#define IDC_SPLASH_PICTURE 1084

#define IDS_APP_TITLE 57344    // application title (registry key, message box captions)
#define IDS_IDLE_TITLE 61336

#define IDB_TOOLBAR IDR_MAINFRAME  // toolbar 128: 27 images of 16 x 15 pixels
#define IDB_INFO_PICTURE 162
#define IDC_LINK_HAND 163          // hand cursor over the information dialog's links
#define IDC_INFO_VERSION 1053
#define IDC_INFO_PRODUCT_LINK 1054
#define IDC_INFO_COMPANY_LINK 1055
#define IDC_INFO_TEXT 1068
#define IDC_INFO_PICTURE 1069
