// portcheck/check_report.cpp: writes the port test's saved report.
#include "portcheck/check_report.h"

#include "platform/own_folder.h"
#include "platform/text.h"

namespace {

const char kReportPrefix[] = "TEST";
const char kReportExtension[] = ".TXT";
const char kContinuation[] = "  ";

}  // namespace

int OpenTestReport(TestReport* report) {
    char windows[kWindowsDirectorySize];
    if (!OwnFolderPath(windows, report->path, sizeof report->path))
        return 0;
    FilesCreateDirectory(report->path);  // there already from an undo folder or a report before
    return AppendNextNumbered(report->path, sizeof report->path, kReportPrefix, kReportExtension) &&
           OpenTextWriter(&report->file, report->path);
}

void WriteTestReportLine(TestReport* report, const char* line) {
    size_t length = TextLength(line);
    size_t room = kTestReportColumns;
    for (;;) {
        size_t take = length;
        if (take > room) {
            // line[take] is the space the piece ends before.
            for (take = room; take > 0 && line[take] != ' ';)
                --take;
            if (take == 0)
                take = room;
        }
        WriteTextBytes(&report->file, line, take);
        WriteText(&report->file, "\n");
        line += take;
        length -= take;
        for (; *line == ' '; --length)
            ++line;
        if (length == 0)
            return;
        WriteText(&report->file, kContinuation);
        room = kTestReportColumns - (sizeof kContinuation - 1);
    }
}

int CloseTestReport(TestReport* report) {
    return CloseTextWriter(&report->file);
}
