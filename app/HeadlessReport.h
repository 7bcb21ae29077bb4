#ifndef ENVCHECK_APP_HEADLESSREPORT_H
#define ENVCHECK_APP_HEADLESSREPORT_H

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "info/BaseInfo.h"

// The line a usage error writes to standard error.
extern const char* const ReportUsage;

// The run without any window that a report command line asks for: every
// collector on a worker, then the report written to the file. Exit code 0
// when written; 2 for a usage error or a file that could not be written; 1
// when the collection could not run or failed. Each failure writes one line
// to standard error.
int RunHeadless(const TCommandLine& command);

// The same run over the given collectors, told the given version record.
int RunHeadlessReport(const std::wstring& path, const std::vector<TBaseInfo*>& collectors,
                      const OsVersionRecord& version);

#endif
