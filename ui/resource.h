// Resource numbers of the add-on module: dialog templates, their controls, the icon group and the
// string table. The dialogs' code and the resource script share them.
#pragma once

#define IDC_STATIC (-1)

// Dialog templates
#define IDD_ZTTREVANEL_DIALOG 1001
#define IDD_TWEAKINFO_DIALOG 1003

// Icon group
#define IDI_TREVANEL 1002

// String table
#define IDS_ADDON_NAME 1000
#define IDS_UNINSTALL_FAILED 1001
#define IDS_PROFILE_SCOPE 1002
#define IDS_HELP_FILE_ERROR 1003
#define IDS_REMOVE_ALL_QUESTION 1004
#define IDS_REMOVE_QUESTION 1005
#define IDS_EMPTY_NAME 1007
#define IDS_EMPTY_EXE 1008
#define IDS_INSTALL_FAILED 1009
#define IDS_HOST_TOO_OLD 1010
#define IDS_HOST_NOT_FOUND 1011
#define IDS_SAVE_FAILED 1012
#define IDS_SAVE_NOT_ELEVATED 1013
// The long-wait window
#define IDS_WAIT_CAPTION 1020
#define IDS_WAIT_TWEAK 1021
#define IDS_WAIT_FILE 1022
#define IDS_WAIT_ELAPSED 1023
#define IDS_WAIT_SHOW 1024
#define IDS_WAIT_STOP_WAITING 1025
#define IDS_WAIT_END 1026
#define IDS_SAVE_CHANGED_SINCE 1014
#define IDS_SAVE_NO_TURN 1015
#define IDS_SAVE_SET_ASIDE 1016
#define IDS_RENAME_NOT_MOVED 1017
#define IDS_TAKE_RENAMED_SET 1018

// Controls shared by both dialogs
#define IDC_BTN_HELP 1000

// Tweak list dialog
#define IDC_LIST_TWEAKS 1001
#define IDC_SPIN_MOVE 1002
#define IDC_BTN_ADD 1003
#define IDC_BTN_REMOVE 1004
#define IDC_BTN_EDIT 1005
#define IDC_BTN_REMOVE_ALL 1006
#define IDC_STATIC_SCOPE 1007

// Tweak editor dialog
#define IDC_BTN_ADD_FILTER 1003
#define IDC_BTN_REMOVE_FILTER 1004
#define IDC_BTN_REMOVE_ALL_FILTERS 1006
#define IDC_EDIT_NAME 1009
#define IDC_EDIT_EXE 1010
#define IDC_BTN_BROWSE 1011
#define IDC_CHECK_DISABLED 1013
#define IDC_CHECK_DOWNLOAD 1014
#define IDC_CHECK_UPLOAD 1015
#define IDC_CHECK_VIEW 1017
#define IDC_CHECK_MOVE_LOCAL 1018
#define IDC_LIST_FILTERS 1019
#define IDC_CHECK_MOVE_SERVER 1020
#define IDC_CHECK_OPEN 1023
#define IDC_EDIT_FILTER 1025
#define IDC_EDIT_PARAMETERS 1026
#define IDC_CHECK_IGNORE_CASE 1027
