#include "app/ReportSaver.h"

#include <fstream>

bool WriteReport(const std::string& path, std::vector<TBaseInfo*>& collectors)
{
    std::fstream file;
    file.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (file.fail()) return false;
    for (TBaseInfo* collector : collectors) collector->WriteLines(file);
    // Buffered bytes reach the disk at close: a full disk shows only here.
    file.close();
    return !file.fail();
}
