#ifndef ENVCHECK_INFO_NETWORK_NETWORKINFO_H
#define ENVCHECK_INFO_NETWORK_NETWORKINFO_H

#include "info/BaseInfo.h"

class TNetworkInfo : public TBaseInfo {
public:
    TNetworkInfo();
    void Collect() override;
};

#endif
