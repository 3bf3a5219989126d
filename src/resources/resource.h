#pragma once

// Shared by the resource script and the code that loads the resources.
#define IDD_BOOTWARDEN_DIALOG 102
#define IDB_FOLDER 138
#define IDB_CROSS 144
#define IDB_CHECKED 145
#define IDB_UNCHECKED 147
#define IDB_FOLDER_WARNING 148
#define IDB_UNCHECKED_SYSTEM 149
#define IDB_BANNER 153
#define IDR_MAINFRAME 160
#define IDC_TREE 1000
#define IDC_COMMAND_LINE 1002
#define IDC_HELP_BUTTON 1012
#define IDC_TREE_FRAME 1013
#define IDC_COMMAND_LABEL 1014
#define IDC_PROGRAM_FACTS 1015
#define IDC_HIDE_MICROSOFT 1016
#define IDM_ABOUTBOX 0x0010
#define IDC_STATIC -1
