// app/resource.h: resource identifiers shared by the resource script and the code; the control
// identifiers come from controls/control_ids.h, where the lower folders find them too.
#ifndef KORVALIN_APP_RESOURCE_H
#define KORVALIN_APP_RESOURCE_H

// Bitmaps
#define IDB_TREE_IMAGES 101

// Dialogs
#define IDD_MAIN 103
#define IDD_RESTART 104
#define IDD_ABOUT 105
#define IDD_PORT_TEST 106

// Controls
#include "controls/control_ids.h"

#endif
