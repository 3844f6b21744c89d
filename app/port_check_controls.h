// app/port_check_controls.h: the Port Test dialog's controls that know nothing of its run: the
// speed list, the counts, the lights and Save.
#ifndef KORVALIN_APP_PORT_CHECK_CONTROLS_H
#define KORVALIN_APP_PORT_CHECK_CONTROLS_H

#include <windows.h>

#include "inventory/inventory.h"
#include "portcheck/port_check.h"

// A list row: the port's name, a space and a test line.
enum { kPortTestRowSize = kPortNameSize + 1 + kPortTestLineSize };

// Fills the speed list, the default chosen.
void FillSpeedChoices(HWND dialog);
// The speeds the list names, into `options`.
void ReadSpeedChoice(HWND dialog, PortTestOptions* options);

// Shows the counts' two lines, when they differ from what is shown; null clears them.
void ShowCounts(HWND dialog, const PortTestCounts* counts);

// Sets the four lights from `lines`: on, off, or greyed while the inputs could not be read;
// null turns them all off.
void ShowLights(HWND dialog, const PortLines* lines);

// Writes the port line and every row of the list to the next TESTnnnn.TXT, then says where, or
// why not, in a message box the dialog owns.
void SaveTestReport(HWND dialog);

#endif
