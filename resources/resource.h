#pragma once
// Identifiers of the program's resources, shared by the resource script and the code. Plain
// numbers: the header needs no system header.

// Dialog templates
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_HELP 138
#define IDD_HEALTH 153

// Strings
#define IDS_ABOUTBOX 101

// Menu bar of the main window
#define IDR_MAINMENU 135
// Context menu of a drive in the drive list
#define IDR_DRIVE_MENU 152

// Icons
#define IDI_PROGRAM 128
#define IDI_DRIVE_WARNING 134
#define IDI_OK 135
#define IDI_NODATA 139
#define IDI_CHECK 140
#define IDI_TRIANGLE 141
#define IDI_ARROW_DOWN 147
#define IDI_ARROW_UP 148
#define IDI_CAUTION 152

// Bitmap: the 16x16 status image strip shared by both lists
#define IDB_STATUS 133
#define IDB_STATUS_24 150
#define IDB_STATUS_32 151

// Controls of the main window
#define IDC_ENTER_SINK 1000
#define IDC_DRIVE_LIST 1001
#define IDC_SPF_STATUS 1002
#define IDC_SMART_STATUS 1003
#define IDC_BUS 1004
#define IDC_FIXED_REMOVABLE 1005
#define IDC_VOLUME_LIST 1006
#define IDC_DRIVE_NAME 1007
#define IDC_SERIAL 1008
#define IDC_NEXT_REFRESH 1010
#define IDC_USE_OWN_PERCENT 1012
#define IDC_DRIVE_LETTER 1014
#define IDC_PERCENT_FREE 1015
#define IDC_FREE_SPACE 1016
#define IDC_TOTAL_SIZE 1017
#define IDC_DEFAULT_DOWN 1018
#define IDC_DEFAULT_UP 1019
#define IDC_DEFAULT_PERCENT 1020
#define IDC_VOLUME_DOWN 1021
#define IDC_VOLUME_UP 1022
#define IDC_VOLUME_PERCENT 1023
// Controls of the health window
#define IDC_HEALTH_STATUS 1100
#define IDC_HEALTH_TABLE 1101
#define IDC_HEALTH_TEMPERATURE 1102
#define IDC_HEALTH_HISTORY 1103
#define IDC_HEALTH_PLOT 1104
#define IDC_HEALTH_ACCEPT 1105

// Menu commands
#define ID_REFRESH_DATA 32771
#define ID_FILE_EXIT 32772
#define ID_HELP_ABOUT 32773
#define ID_WINDOW_HIDE 32774
#define ID_HELP_NOTES 32775
#define ID_AUTO_REFRESH 32776
#define ID_DRIVE_ACCEPT_HEALTH 32777
#define ID_DRIVE_HEALTH_DETAILS 32778

// System-menu commands added to the main window
#define IDM_ABOUTBOX 0x0010
#define IDM_MINIMIZE_TO_TRAY 0x0020
