// rename/naming_controls.h: the main dialog's naming controls, which renaming reads and drives.
// Plain numbers, so that the resource script can take them too (through app/resource.h).
#ifndef KORVALIN_RENAME_NAMING_CONTROLS_H
#define KORVALIN_RENAME_NAMING_CONTROLS_H

#define IDC_APPLY 1001
#define IDC_NAMING_GROUP 1002
#define IDC_AUTO_ENUMERATE 1003
#define IDC_PORT_NAME 1004
#define IDC_PORT_NAME_LABEL 1007

#endif
