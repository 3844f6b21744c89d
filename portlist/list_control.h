// portlist/list_control.h: the main dialog's board and port list, which this folder fills,
// paints and folds. A plain number, so that the resource script can take it too (through
// app/resource.h).
#ifndef KORVALIN_PORTLIST_LIST_CONTROL_H
#define KORVALIN_PORTLIST_LIST_CONTROL_H

#define IDC_PORT_LIST 1000

#endif
