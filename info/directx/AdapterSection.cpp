#include <cstring>
#include <string>

#include "info/BoundedText.h"
#include "info/directx/DirectXInfo.h"

namespace {

const int GuidTextSize = 512;

}  // namespace

std::string WhqlLevelText(DWORD level)
{
    if (level == 0) return "認証されていない。";
    if (level == 1) return "WHQL の認証は受けているが、利用できる日付情報はない。";
    const unsigned int year = level >> 16;
    const unsigned int month = (level & 0x0F00) >> 8;
    const unsigned int day = level & 0xFF;
    return (boost::format("認証日付 ( %d / %d / %d )") % year % month % day).str();
}

bool TDirectXInfo::WriteAdapterInfo()
{
    D3DADAPTER_IDENTIFIER9 adapter;
    ZeroMemory(&adapter, sizeof(adapter));
    if (FAILED(Direct3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &adapter))) return false;

    AddLine(boost::format("Graphic Adapter information:\n"));
    AddLine(boost::format(" Driver Name : %s\n") % PlatformText(adapter.Driver, sizeof(adapter.Driver)));
    AddLine(boost::format(" Description : %s\n") % PlatformText(adapter.Description, sizeof(adapter.Description)));

    WCHAR wideGuid[GuidTextSize] = {};
    Api.StringFromGUID2(adapter.DeviceIdentifier, wideGuid, GuidTextSize);
    wideGuid[GuidTextSize - 1] = L'\0';
    // The registry form is plain ASCII: each character is its own byte.
    std::string guid;
    for (const WCHAR* at = wideGuid; *at != L'\0'; ++at) guid += static_cast<char>(*at);
    AddLine(boost::format(" DeviceIdentifier : %S\n") % guid);

    const DWORD high = static_cast<DWORD>(adapter.DriverVersion.HighPart);
    const DWORD low = adapter.DriverVersion.LowPart;
    AddLine(boost::format(" Driver Version : %u.%u.%u.%u\n") % (high >> 16) % (high & 0xFFFF) % (low >> 16) %
            (low & 0xFFFF));
    AddLine(boost::format(" VendorId : %u\n") % adapter.VendorId);
    AddLine(boost::format(" DeviceId : %u\n") % adapter.DeviceId);
    AddLine(boost::format(" SubSysId : %u\n") % adapter.SubSysId);
    AddLine(boost::format(" Revision : %u\n") % adapter.Revision);

    std::string whql = " Windows Hardware Quality Labs(WHQL)妥当性レベル : ";
    whql += WhqlLevelText(adapter.WHQLLevel);
    AddLine(boost::format("%s\n") % whql);
    AddLine(boost::format("\n"));
    return true;
}
