// portcheck/check_report.h: the saved report of a port test, <Windows>\KORVALIN\TESTnnnn.TXT (nnnn
// the one after the highest there, as the undo folders beside it are numbered), in CR LF and at
// most 80 columns, so that it prints and reads in any editor, DOS's included.
#ifndef KORVALIN_PORTCHECK_CHECK_REPORT_H
#define KORVALIN_PORTCHECK_CHECK_REPORT_H

#include "platform/limits.h"
#include "platform/streams.h"

enum {
    kTestReportColumns = 80,
    kTestReportPathSize = kWindowsDirectorySize + 24,  // <Windows>\KORVALIN\TESTnnnn.TXT
};

struct TestReport {
    TextWriter file;
    char path[kTestReportPathSize];  // the report's full path, or what could not be made
};

// Names the next TESTnnnn.TXT, making KORVALIN when it is not there yet, and creates it.
// 1: created; 0: not (FilesLastError says why), and `path` names what could not be made ("" when
// not even the Windows directory was known).
int OpenTestReport(TestReport* report);

// Writes one line. A longer line than 80 columns is wrapped at its last space that fits (cut at
// 80 where it has none), and what follows is indented by two spaces.
void WriteTestReportLine(TestReport* report, const char* line);

// Closes a report that opened. 1 when every line was written; 0 when not (FilesLastError says
// why).
int CloseTestReport(TestReport* report);

#endif
