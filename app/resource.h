// app/resource.h: resource and control identifiers shared by the resource script and the code.
#ifndef KORVALIN_APP_RESOURCE_H
#define KORVALIN_APP_RESOURCE_H

// Bitmaps
#define IDB_TREE_IMAGES 101

// Dialogs
#define IDD_MAIN 103
#define IDD_RESTART 104
#define IDD_ABOUT 105

// Controls of IDD_MAIN (IDOK 1, IDCANCEL 2 are the system's own). The list and the naming
// controls are numbered where the code that drives them lives.
#define IDC_ABOUT 3
#include "portlist/list_control.h"  // IDC_PORT_LIST 1000
#include "rename/naming_controls.h"  // IDC_APPLY 1001 to IDC_PORT_NAME 1004, IDC_PORT_NAME_LABEL 1007
#define IDC_REMOVE 1005

#endif
