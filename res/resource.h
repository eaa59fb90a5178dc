#pragma once
// Every id of ZViewer.exe in one place: resources, commands, child windows,
// timers, notification codes and private messages. Plain #defines, because
// the resource compiler and the portable core include this header too.

// ---- resources ---------------------------------------------------------------
#define IDR_MAINFRAME 128      // program icon, menu, toolbar and accelerators of the main frame
#define IDD_INFORMATION 100
#define IDD_FILE_ATTR 155
#define IDD_FOLDER_NAME 156
#define IDD_FOLDER_SELECT 165
#define IDD_APP_SETUP 167          // the application setup dialog
#define IDD_SORT_SETTINGS 171
#define IDD_SPLASH 173
#define IDB_SPLASH 174
#define IDI_FOLDER_FALLBACK 154    // folder tree: folder icon when shell32's cannot be extracted
#define IDI_TRAY_DISCONNECTED 176  // tray icon while the copyboard is not connected
#define IDI_TRAY_CONNECTED 177     // tray icon while it is connected
#define IDB_TOOLBAR IDR_MAINFRAME  // toolbar 128: 27 images of 16 x 15 pixels
#define IDB_TOOLBAR_150 129        // the same drawn at 150 % (24 x 23)
#define IDB_TOOLBAR_200 130        // and at 200 % (32 x 30)
#define IDB_INFO_PICTURE 162
#define IDC_LINK_HAND 163          // hand cursor over the information dialog's links
#define IDC_GRAB 164               // the picture view's cursor while a picture is dragged

#define IDS_APP_TITLE 57344    // application title (registry key, message box captions)
#define IDS_IDLE_TITLE 61336   // the status bar's text while no file is current; also its pane id

// ---- dialog controls ---------------------------------------------------------
#define IDC_INFO_VERSION 1053
#define IDC_INFO_PRODUCT_LINK 1054
#define IDC_INFO_COMPANY_LINK 1055
#define IDC_SETUP_RESIDENT 1065    // application setup: resident mode (intTstTry)
#define IDC_INFO_TEXT 1068
#define IDC_INFO_PICTURE 1069
#define IDC_SETUP_SYSTEM_DATE 1085 // application setup: copies from the board get the current time
#define IDC_SETUP_SAVE_FOLDER 1093 // the button that chooses the save folder
#define IDC_SETUP_FOLDER_TEXT 1095 // the save folder shown
#define IDC_SETUP_DATE_NAME 1097   // name mode radio buttons: date name, fixed name
#define IDC_SETUP_FIXED_NAME 1098
#define IDC_SETUP_NAME_EDIT 1099   // the fixed name
#define IDC_SETUP_NUMBER 1100      // number format list
#define IDC_SETUP_EXTENSION 1101   // extension list
#define IDC_SETUP_NAME_GROUP 1102
#define IDC_SETUP_DOT 1103
#define IDC_SETUP_DATE_LIST 1104   // date format list
#define IDC_SETUP_TWAIN_GROUP 1105
#define IDC_SORT_NAME 1073         // sort settings: the key radio buttons 1073-1078, key 0-5 in order
#define IDC_SORT_TYPE 1074
#define IDC_SORT_DATE 1075
#define IDC_SORT_SIZE 1076
#define IDC_SORT_PICTSIZE 1077
#define IDC_SORT_COLORS 1078
#define IDC_SORT_ASCENDING 1079    // the direction radio buttons
#define IDC_SORT_DESCENDING 1080
#define IDC_SORT_KEY_GROUP 1081
#define IDC_SORT_DIR_GROUP 1082
#define IDC_SPLASH_PICTURE 1084
#define IDC_FOLDER_NAME_EDIT 1042   // folder name dialog: the new folder's name
#define IDC_FOLDER_NAME_LABEL 1052
#define IDC_FOLDER_NEW 1062         // folder select dialog: New folder, Move, Copy (or OK)
#define IDC_FOLDER_MOVE 1063
#define IDC_FOLDER_COPY 1064
#define IDC_ATTR_NAME 1042          // file property dialog: the file name edit
#define IDC_ATTR_YEAR 1043          // ... the date and time edits 1043-1048, in the order they are checked
#define IDC_ATTR_MONTH 1044
#define IDC_ATTR_DAY 1045
#define IDC_ATTR_HOUR 1046
#define IDC_ATTR_MINUTE 1047
#define IDC_ATTR_SECOND 1048
#define IDC_ATTR_DATE_LABEL 1049
#define IDC_ATTR_NAME_LABEL 1050
#define IDC_ATTR_TIME_LABEL 1051
#define IDC_ATTR_PICSIZE_LABEL 1086
#define IDC_ATTR_COLORS_LABEL 1087
#define IDC_ATTR_PICSIZE 1088
#define IDC_ATTR_COLORS 1089
#define IDC_ATTR_FILESIZE_LABEL 1090
#define IDC_ATTR_FILESIZE 1091

// ---- commands (menus, toolbar 128, accelerators 128, context menu) -----------
#define ID_VIEW_CUSTOMIZE 32770
#define ID_VIEW_FOLDERTREE 32772   // also the folder tree bar's id
#define ID_VIEW_PREVIEW 32773      // also the preview bar's id
#define ID_FILE_NEWFOLDER 32860
#define ID_FILE_PRINT 32861
#define ID_FILE_SENDMAIL 32862
#define ID_FILE_OPENAPPLI 32863
#define ID_FILE_SAVEAS 32864
#define ID_VIEW_LIGHTTHUMB 32866
#define ID_VIEW_DETAILTHUMB 32867
#define ID_VIEW_LIST 32868
#define ID_VIEW_SHOWPICTURE 32869
#define ID_VIEW_RETURNLIST 32870
#define ID_VIEW_PREVPICTURE 32871
#define ID_VIEW_NEXTPICTURE 32872
#define ID_VIEW_REALSIZE 32873
#define ID_VIEW_INWINDOW 32874
#define ID_VIEW_ZOOMIN 32875
#define ID_VIEW_ZOOMOUT 32876
#define ID_IMAGE_ROTATERIGHT 32877
#define ID_IMAGE_ROTATELEFT 32878
#define ID_IMAGE_REFLECTH 32879
#define ID_IMAGE_REFLECTV 32880
#define ID_VIEW_REFRESH 32881
#define ID_VIEW_THUMBSMALL 32882
#define ID_VIEW_THUMBMEDIUM 32883
#define ID_VIEW_THUMBLARGE 32884
#define ID_VIEW_SORT 32885
#define ID_EDIT_CUT 32886
#define ID_EDIT_COPY 32887
#define ID_EDIT_PASTE 32888
#define ID_EDIT_DELETE 32889
#define ID_EDIT_MOVE 32890
#define ID_EDIT_PROPERTY 32891
#define ID_EDIT_SELECTALL 32892
#define ID_EDIT_CUTALL 32893
#define ID_EDIT_COPYALL 32894
#define ID_EDIT_DELETEALL 32895
#define ID_TOOL_APPSETTING 32897
#define ID_HELP_INDEX 32898
#define ID_HELP_INFORMATION 32899
#define ID_TRAY_START_BROWSER 32900  // the tray menu of a resident copy
#define ID_TRAY_EXIT 32901
#define ID_TRAY_CLOSE_MENU 32902
#define ID_TWAIN_SELECT 32903
#define ID_TWAIN_INPUT 32904
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392        // also the toolbar's window id
#define ID_VIEW_STATUS_BAR 59393

// ---- child windows -----------------------------------------------------------
#define IDW_FOLDER_TREE_IN_BAR 100  // the folder tree inside its bar
#define IDW_FOLDER_TREE_IN_DIALOG 1000  // the folder tree inside the folder select dialog
#define IDW_STATUS_BAR 109
#define IDW_FILE_LIST 1001          // the file list view's list control
#define IDW_THUMB_GRID 1002
#define IDW_PICTURE_VIEW 1003
#define IDW_PREVIEW 2000            // the picture window inside the preview bar
#define IDW_PICTURE_IMAGE 2000      // the picture inside the picture view
#define IDW_SCANNER 1010            // source id of the scanner connection's notifications
#define IDW_FOLDER_TREE 4097        // the tree control inside a folder tree window
#define IDW_FIRST_PANE 59648        // the file list view in the frame's client area

// ---- timers (per window) -----------------------------------------------------
#define IDT_TRAY_POLL 1          // resident copy: is the copyboard connected? (2000 ms)
#define IDT_STATUS_UPDATE 3      // file list: deferred status and preview update (500 ms, one shot)
#define IDT_TREE_SCROLL_UP 1     // folder tree during a drag: scroll up one item (200 ms)
#define IDT_TREE_SCROLL_DOWN 2   // ... scroll down one item (200 ms)
#define IDT_TREE_EXPAND 3        // ... expand the item held under the cursor (2000 ms, one shot)
#define IDT_TAKE_THUMBNAILS 1    // thumbnail grid: take the made thumbnails left over (USER_TIMER_MINIMUM, one shot)

// ---- notification codes (WM_NOTIFY) and private messages ---------------------
#define ZVN_FOLDER_SELECTED 4097      // folder tree -> owner: FolderSelectedNotify
#define ZV_SCAN_IMAGE 0x80000001u     // scanner connection -> frame: ScanNotify
#define ZV_SCAN_ENDED 0x80000002u
#define WM_ZV_TRAY_NOTIFY 0x0800      // the tray icon's callback message
#define WM_ZV_THUMBS_READY 0x0801     // thumbnail workers -> grid: results wait (TakeResult); also grid -> itself
#define WM_ZV_EDIT_LABEL_AGAIN 0x0802 // folder tree -> itself: reopen the label editor (lParam: the item)
#define WM_ZV_FIRST_RUN_SETUP 0x0810  // start-up -> main frame: show the setup dialog of a first run
#define WM_ZV_CATCH_UP_TREE 0x0811    // start-up -> main frame: the tree selects the listed start folder
#define GN_SELCHANGE 0x80000001u      // thumbnail grid -> file list view: GridNotify, the new current cell
#define GN_OPEN 0x80000002u           // ... the cell to open
#define GN_CONTEXTMENU 0x80000003u    // ... the packed screen point
#define GN_BEGINDRAG 0x80000004u      // ... 0
