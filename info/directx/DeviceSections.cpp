#include "info/ComRef.h"
#include "info/directx/DirectXInfo.h"
#include "info/directx/PropertyTables.h"

namespace {

const DWORD ChildNameSize = 256;

}  // namespace

bool TDirectXInfo::WriteSystemInfo()
{
    AddLine(boost::format("DxDialog DirectX Infomation:\n"));
    TComRef<IDxDiagContainer> system;
    if (FAILED(Root->GetChildContainer(L"DxDiag_SystemInfo", system.Receive())) || system.Get() == nullptr)
        return false;
    for (size_t i = 0; i < SystemPropertyCount; ++i) PrintRow(system.Get(), SystemProperties[i]);
    system.Reset();
    AddLine(boost::format("\n"));
    return true;
}

bool TDirectXInfo::WriteSoundDevices()
{
    return WriteDevices("DxDialog DirectSound Infomation:\n", L"DxDiag_DirectSound.DxDiag_SoundDevices",
                        SoundDeviceProperties, SoundDevicePropertyCount);
}

bool TDirectXInfo::WriteDisplayDevices()
{
    return WriteDevices("DxDialog Display Infomation:\n", L"DxDiag_DisplayDevices", DisplayDeviceProperties,
                        DisplayDevicePropertyCount);
}

bool TDirectXInfo::WriteDevices(const char* heading, const wchar_t* path, const DxPropertyRow* rows, size_t count)
{
    AddLine(boost::format(heading));
    TComRef<IDxDiagContainer> devices;
    if (FAILED(Root->GetChildContainer(path, devices.Receive())) || devices.Get() == nullptr) return false;
    DWORD deviceCount = 0;
    if (FAILED(devices->GetNumberOfChildContainers(&deviceCount))) return false;
    for (DWORD index = 0; index < deviceCount; ++index) {
        WCHAR name[ChildNameSize] = {};
        if (FAILED(devices->EnumChildContainerNames(index, name, ChildNameSize))) return false;
        name[ChildNameSize - 1] = L'\0';
        TComRef<IDxDiagContainer> device;
        if (FAILED(devices->GetChildContainer(name, device.Receive())) || device.Get() == nullptr) return false;
        for (size_t i = 0; i < count; ++i) PrintRow(device.Get(), rows[i]);
    }
    devices.Reset();
    AddLine(boost::format("\n"));
    return true;
}
