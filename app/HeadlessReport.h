#ifndef ENVCHECK_APP_HEADLESSREPORT_H
#define ENVCHECK_APP_HEADLESSREPORT_H

#include <string>

// The file named by "/report FILE", or empty for any other command line.
std::string ReportFileArgument(const char* commandLine);

// Runs every collector on a worker without any window and writes the report
// to path. Exit code 0 when written, 2 when the file could not be written,
// 1 when the run could not start.
int RunHeadlessReport(const std::string& path);

#endif
