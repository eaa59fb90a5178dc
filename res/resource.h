#pragma once
// Resource ids of ZViewer.exe: dialogs, bitmaps, icons, cursors, strings.
// Command ids live in mainwnd/command_ids.h.

#define IDR_MAINFRAME 128      // program icon, menu, toolbar and accelerators of the main frame
#define IDD_INFORMATION 100
#define IDD_SPLASH 173
#define IDB_SPLASH 174
#define IDC_SPLASH_PICTURE 1084

#define IDS_APP_TITLE 57344    // application title (registry key, message box captions)
#define IDS_IDLE_TITLE 61336
