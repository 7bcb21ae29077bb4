#include "info/network/NetworkInfo.h"

TNetworkInfo::TNetworkInfo()
{
    Title = "ネットワークの情報を取得中...\n";
}

void TNetworkInfo::Collect() {}
