#ifndef ENVCHECK_APP_REPORTCOPY_H
#define ENVCHECK_APP_REPORTCOPY_H

#include <windows.h>

#include <string>

// Puts the report's cp932 bytes on the clipboard as text, for a support form:
// as UTF-16 converted from cp932 and as the bytes themselves. False when the
// clipboard could not be taken or filled.
bool CopyReport(HWND owner, const std::string& report);

#endif
