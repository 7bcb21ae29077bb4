#include "info/BoundedText.h"
#include "info/directx/DirectXInfo.h"

std::string WhqlLevelText(DWORD level)
{
    if (level == 0) return "認証されていない。";
    if (level == 1) return "WHQL の認証は受けているが、利用できる日付情報はない。";
    const unsigned int year = level >> 16;
    const unsigned int month = (level & 0x0F00) >> 8;
    const unsigned int day = level & 0xFF;
    return (boost::format("認証日付 ( %d / %d / %d )") % year % month % day).str();
}

DxAdapterRecord TDirectXInfo::ReadAdapter()
{
    DxAdapterRecord adapter;
    D3DADAPTER_IDENTIFIER9 identifier = {};
    if (FAILED(Direct3D->GetAdapterIdentifier(D3DADAPTER_DEFAULT, 0, &identifier))) return adapter;
    adapter.Identified = true;
    adapter.Driver = PlatformText(identifier.Driver);
    adapter.Description = PlatformText(identifier.Description);
    adapter.DriverVersion = identifier.DriverVersion;
    adapter.VendorId = identifier.VendorId;
    adapter.DeviceId = identifier.DeviceId;
    adapter.SubSysId = identifier.SubSysId;
    adapter.Revision = identifier.Revision;
    adapter.WHQLLevel = identifier.WHQLLevel;

    const int guidTextSize = 512;
    WCHAR wideGuid[guidTextSize] = {};
    Api.StringFromGUID2(identifier.DeviceIdentifier, wideGuid, guidTextSize);
    wideGuid[guidTextSize - 1] = L'\0';
    // The registry form is plain ASCII: each character is its own byte.
    for (const WCHAR* at = wideGuid; *at != L'\0'; ++at) adapter.DeviceIdentifier += static_cast<char>(*at);
    return adapter;
}

void WriteAdapterSection(const DxAdapterRecord& adapter, TSection& section)
{
    if (!adapter.Identified) return;
    section.AddLine(boost::format("Graphic Adapter information:\n"));
    section.AddLine(boost::format(" Driver Name : %s\n") % adapter.Driver);
    section.AddLine(boost::format(" Description : %s\n") % adapter.Description);
    section.AddLine(boost::format(" DeviceIdentifier : %S\n") % adapter.DeviceIdentifier);
    const DWORD high = static_cast<DWORD>(adapter.DriverVersion.HighPart);
    const DWORD low = adapter.DriverVersion.LowPart;
    section.AddLine(boost::format(" Driver Version : %u.%u.%u.%u\n") % (high >> 16) % (high & 0xFFFF) % (low >> 16) %
                    (low & 0xFFFF));
    section.AddLine(boost::format(" VendorId : %u\n") % adapter.VendorId);
    section.AddLine(boost::format(" DeviceId : %u\n") % adapter.DeviceId);
    section.AddLine(boost::format(" SubSysId : %u\n") % adapter.SubSysId);
    section.AddLine(boost::format(" Revision : %u\n") % adapter.Revision);
    section.AddLine(boost::format("%s\n") %
                    (" Windows Hardware Quality Labs(WHQL)妥当性レベル : " + WhqlLevelText(adapter.WHQLLevel)));
    section.AddLine(boost::format("\n"));
}
