#include "info/process/ProcessInfo.h"

TProcessInfo::TProcessInfo() : IdWidth(-1), ImageWidth(-1), PathWidth(-1), Kernel32Module(nullptr), VdmDbgModule(nullptr), NtvdmProcessId(0)
{
    Title = "プロセスの情報を取得中...\n";
}

void TProcessInfo::Collect() {}
