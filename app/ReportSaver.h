#ifndef ENVCHECK_APP_REPORTSAVER_H
#define ENVCHECK_APP_REPORTSAVER_H

#include <string>
#include <vector>

#include <windows.h>

#include "app/ShellApi.h"
#include "info/BaseInfo.h"

// The report as the file holds it: every collector's elements in list order,
// byte for byte.
std::string ReportText(const std::vector<TBaseInfo*>& collectors);

// Writes the report to path so that path never holds a part of one: the bytes
// go to a temporary file in the same folder, which replaces path only once
// every byte is written and the file is closed. False, with path and its
// folder as they were, when any step fails or path is not a regular file
// (a device such as NUL or COM1, or a folder).
bool WriteReport(const std::wstring& path, const std::vector<TBaseInfo*>& collectors);

// Whether path may take a report now: a regular file, or none yet, in a
// folder that exists. A run without a window asks before it collects.
bool CanHoldReport(const std::wstring& path);

// The Save button's work: asks for a file name, writes the report there, and
// reports a failure with the error box.
void SaveReportAs(HWND owner, const std::vector<TBaseInfo*>& collectors, TShellApi& api = Win32ShellApi());

#endif
