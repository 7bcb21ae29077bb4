#include "info/service/ServiceInfo.h"

TServiceInfo::TServiceInfo()
{
    Title = "サービスの情報を取得中...\n";
}

void TServiceInfo::Collect() {}
