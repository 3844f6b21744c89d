// app/resource.h: resource identifiers shared by the resource script and the code. Plain
// #defines only, so that the resource script takes them too. No folder below app/ needs one:
// portlist/ is handed the list's window.
#ifndef KORVALIN_APP_RESOURCE_H
#define KORVALIN_APP_RESOURCE_H

// Bitmaps
#define IDB_TREE_IMAGES 101

// Dialogs
#define IDD_MAIN 103
#define IDD_RESTART 104
#define IDD_ABOUT 105
#define IDD_PORT_TEST 106

// Controls of IDD_MAIN (IDOK 1, IDCANCEL 2 are the system's own).
#define IDC_ABOUT 3
#define IDC_PORT_LIST 1000
#define IDC_APPLY 1001
#define IDC_NAMING_GROUP 1002
#define IDC_AUTO_ENUMERATE 1003
#define IDC_PORT_NAME 1004
#define IDC_REMOVE 1005
#define IDC_PORT_NAME_LABEL 1007
#define IDC_TEST 1008

// Controls of IDD_PORT_TEST (IDCANCEL is its Close). Identify to Save are numbered in a row:
// a run disables them together, but for its own button, which reads Stop. DTR and RTS, then
// the lights CTS, DSR, DCD and RI, in a row too.
#define IDC_TEST_PORT_NAME 1100
#define IDC_TEST_RESULTS 1101
#define IDC_IDENTIFY 1102
#define IDC_START 1103
#define IDC_PLUG 1104
#define IDC_SPEEDS 1105
#define IDC_REPEAT 1106
#define IDC_WATCH 1107
#define IDC_SAVE 1108
#define IDC_DTR 1109
#define IDC_RTS 1110
#define IDC_CTS_LIGHT 1111
#define IDC_DSR_LIGHT 1112
#define IDC_DCD_LIGHT 1113
#define IDC_RI_LIGHT 1114
#define IDC_TEST_COUNTS 1115
#define IDC_TEST_WARNING 1116

#endif
