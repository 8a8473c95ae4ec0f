// Resource ids of the Windows program, shared by the resource script and the windows' code.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MONITOR 102
#define IDR_MAINFRAME 128
#define IDR_TRAYMENU 132
#define IDD_SETTINGS 135
#define IDB_SPLASH 147

#define IDC_WATCHDIR 1000
#define IDC_BACKUPDIR 1001
#define IDC_BROWSE_WATCH 1002
#define IDC_BROWSE_BACKUP 1003
#define IDC_HIDDENLIST 1004
#define IDC_SETTINGS 1006
#define IDC_STOP 1007
#define IDC_START 1008
#define IDC_HELPBUTTON 1009
#define IDC_SHOWLOG 1010
#define IDC_WRITETEST 1014
#define IDC_READTEST 1015
#define IDC_READSNAPSHOT 1016
#define IDC_CHANGELIST 1017

#define IDC_LEVEL_BOX 1024
#define IDC_LOGSZ_BOX 1025
#define IDC_LOGSZ_100 1026
#define IDC_LOGSZ_1000 1027
#define IDC_LOGSZ_10000 1028
#define IDC_LEVEL_1 1029
#define IDC_LEVEL_10 1030
#define IDC_LEVEL_60 1031
#define IDC_BAKSZ_10 1032
#define IDC_BAKSZ_100 1033
#define IDC_BAKSZ_1000 1034
#define IDC_BAKSZ_BOX 1035
#define IDC_FIRST_ALL 1036
#define IDC_FIRST_CHANGED 1037
#define IDC_FIRST_BOX 1039

#define ID_TRAY_START 132
#define ID_TRAY_STOP 32773
#define ID_TRAY_QUIT 32774

// Texts the windows set themselves: the change list's columns, then each control's tooltip
// under the control's id plus IDS_TIP.
#define IDS_COLUMN_NAME 201
#define IDS_COLUMN_PATH 202
#define IDS_COLUMN_BACKUP 203
#define IDS_TIP 10000
