#ifndef ENVCHECK_INFO_SERVICE_SERVICEINFO_H
#define ENVCHECK_INFO_SERVICE_SERVICEINFO_H

#include "info/BaseInfo.h"

class TServiceInfo : public TBaseInfo {
public:
    TServiceInfo();
    void Collect() override;
};

#endif
