#pragma once
// Command ids of the main frame (menus, toolbar 128, accelerators 128) and
// the window ids of its bars. The table with their texts is
// core/mainwnd/command_table.h.

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
// The tray menu of a resident copy.
#define ID_TRAY_START_BROWSER 32900
#define ID_TRAY_EXIT 32901
#define ID_TRAY_CLOSE_MENU 32902
#define ID_TWAIN_SELECT 32903
#define ID_TWAIN_INPUT 32904
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392       // also the toolbar's window id
#define ID_VIEW_STATUS_BAR 59393

#define IDW_STATUS_BAR 109
#define ID_INDICATOR_IDLE 61336     // the status bar's one pane
#define IDW_FIRST_PANE 59648        // the file list view
#define IDW_SCANNER 1010            // notifications of the scanner connection
// Notification codes of the scanner connection.
#define ZV_SCAN_IMAGE 0x80000001u
#define ZV_SCAN_ENDED 0x80000002u
