// Resource and control ids of Sonotag.exe. Shared by Sonotag.rc and the
// window code, so it holds nothing but #define lines.
#pragma once

// Dialogs
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_VERSION 137
#define IDD_COMPARISON_TABLE 138
#define IDD_SETTINGS 140

// Menus
#define IDR_MAIN_MENU 136
#define IDR_ANNOTATE_MENU 141

// Strings, icon, bitmap
#define IDS_ABOUT_ITEM 101
#define IDS_SHUTDOWN_WAITS 103
#define IDI_APPLICATION_ICON 128
#define IDB_COMPARISON_TABLE 139

// Main window controls
#define IDC_FINISH 1002
#define IDC_ANNOTATE 1003
#define IDC_COMPARISON_TABLE 1005

// Version dialog
#define IDC_VERSION_LIST 1004

// Settings dialog
#define IDC_IPA_VERSION 1006
#define IDC_LEFT_SYMBOL 1007
#define IDC_RIGHT_SYMBOL 1008
#define IDC_CHARACTER_STYLE 1009
#define IDC_TAB_BUTTON 1010
#define IDC_SEPARATOR 1011
#define IDC_USE_UNICODE 1012

// Menu commands
#define ID_HELP_PAGE 32772
#define ID_CHOOSE_VERSION 32774
#define ID_SETTINGS 32775
#define ID_REMOVE_ANNOTATIONS 32776
#define ID_CONTACT 65535

// System menu: the About item
#define IDM_ABOUT 16

// The global hot key Alt+1
#define ID_SHOW_HOTKEY 0xF020
