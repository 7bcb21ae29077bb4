#ifndef ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H
#define ENVCHECK_INFO_SYSTEM_SYSTEMINFO_H

#include <windows.h>

#include "info/BaseInfo.h"

class TSystemInfo : public TBaseInfo {
public:
    TSystemInfo();
    void Collect() override;

private:
    SYSTEM_INFO SystemInfo;
};

#endif
