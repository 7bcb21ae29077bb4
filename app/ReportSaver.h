#ifndef ENVCHECK_APP_REPORTSAVER_H
#define ENVCHECK_APP_REPORTSAVER_H

#include <windows.h>

#include <string>
#include <vector>

#include "info/BaseInfo.h"

// Writes every collector's elements, in list order, byte for byte to path,
// replacing what was there. False when the file could not be opened, written
// or closed: the file is then not a complete report.
bool WriteReport(const std::string& path, std::vector<TBaseInfo*>& collectors);

#endif
