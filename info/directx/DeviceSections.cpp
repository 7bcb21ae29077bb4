#include "info/directx/DirectXInfo.h"
#include "info/directx/PropertyTables.h"

DxListRecord<DxProperties> TDirectXInfo::ReadSystem()
{
    DxListRecord<DxProperties> system;
    TComRef<IDxDiagContainer> container;
    if (FAILED(Root->GetChildContainer(L"DxDiag_SystemInfo", container.Receive())) || container.Get() == nullptr)
        return system;
    system.Items.push_back(ReadProperties(container.Get(), SystemProperties, SystemPropertyCount));
    system.Opened = system.Complete = true;
    return system;
}

DxListRecord<DxProperties> TDirectXInfo::ReadDevices(const wchar_t* path, const DxPropertyRow* rows, size_t count)
{
    DxListRecord<DxProperties> devices;
    devices.Complete = WalkList(path, devices.Opened, [&](IDxDiagContainer* device) {
        devices.Items.push_back(ReadProperties(device, rows, count));
    });
    return devices;
}

void WriteDeviceSection(const char* heading, const DxListRecord<DxProperties>& list, TSection& section)
{
    section.AddLine(boost::format(heading));
    for (const DxProperties& item : list.Items)
        for (const DxPropertyRecord& property : item)
            section.AddLine(boost::format(" %s: %s\n") % property.Name % property.Value);
    if (list.Complete) section.AddLine(boost::format("\n"));
}
