#include "info/system/SystemInfo.h"

TSystemInfo::TSystemInfo() : SystemInfo()
{
    Title = "システムの情報を取得中...\n";
}

void TSystemInfo::Collect() {}
