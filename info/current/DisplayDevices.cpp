#include "info/current/CurrentSystemInfo.h"

#include <devguid.h>

#include "info/Registry.h"
#include "info/SystemLibrary.h"
#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"

namespace {

// No machine has more display devices; a list that never ends is cut here.
const DWORD DeviceLimit = 64;

// Owns the device list and destroys it on every path.
class TDeviceList {
public:
    TDeviceList(HDEVINFO list, Setupapi::SetupDiDestroyDeviceInfoList::Type destroy) : List(list), Destroy(destroy) {}
    ~TDeviceList()
    {
        if (List != INVALID_HANDLE_VALUE) Destroy(List);
    }
    TDeviceList(const TDeviceList&) = delete;
    TDeviceList& operator=(const TDeviceList&) = delete;
    HDEVINFO Get() const { return List; }

private:
    const HDEVINFO List;
    const Setupapi::SetupDiDestroyDeviceInfoList::Type Destroy;
};

// A text property; empty when the device has none.
std::string TextProperty(Setupapi::SetupDiGetDeviceRegistryPropertyW::Type get, HDEVINFO list,
                         SP_DEVINFO_DATA& device, DWORD property)
{
    // A device's description is at most 256 characters (LINE_LEN); a longer text is left out.
    WCHAR text[257] = {};
    DWORD type = 0;
    if (!get(list, &device, property, &type, reinterpret_cast<BYTE*>(text), sizeof(text) - sizeof(WCHAR), nullptr) ||
        type != REG_SZ)
        return std::string();
    return FieldText(text);
}

}  // namespace

// Every present display device, whether DXGI lists it or not: a disabled or failed GPU is only here.
void TCurrentSystemInfo::ReadDisplayDevices()
{
    TSystemLibrary setupapi(Api, "setupapi.dll");
    TSystemLibrary cfgmgr32(Api, "cfgmgr32.dll");
    const auto getClassDevices = FindFunction<Setupapi::SetupDiGetClassDevsW>(setupapi);
    const auto enumDevice = FindFunction<Setupapi::SetupDiEnumDeviceInfo>(setupapi);
    const auto getProperty = FindFunction<Setupapi::SetupDiGetDeviceRegistryPropertyW>(setupapi);
    const auto destroy = FindFunction<Setupapi::SetupDiDestroyDeviceInfoList>(setupapi);
    const auto getStatus = FindFunction<Cfgmgr32::CM_Get_DevNode_Status>(cfgmgr32);
    if (getClassDevices == nullptr || enumDevice == nullptr || getProperty == nullptr || destroy == nullptr) return;
    const TDeviceList list(getClassDevices(&GUID_DEVCLASS_DISPLAY, nullptr, nullptr, DIGCF_PRESENT), destroy);
    if (list.Get() == INVALID_HANDLE_VALUE) return;
    for (DWORD index = 0; index < DeviceLimit; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof(device);
        if (!enumDevice(list.Get(), index, &device)) break;
        DisplayDeviceRecord record;
        record.Name = TextProperty(getProperty, list.Get(), device, SPDRP_FRIENDLYNAME);
        if (record.Name.empty()) record.Name = TextProperty(getProperty, list.Get(), device, SPDRP_DEVICEDESC);
        // The driver's key under the class key holds its version and date.
        const std::string driver = TextProperty(getProperty, list.Get(), device, SPDRP_DRIVER);
        TRegistry key(Registry);
        if (!driver.empty() && key.OpenKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver)) {
            if (key.ReadValue("DriverVersion") && key.ValueType == REG_SZ) record.DriverVersion = key.DataText();
            if (key.ReadValue("DriverDate") && key.ValueType == REG_SZ)
                record.DriverDate = DriverDateText(key.DataText());
        }
        // Windows' own driver: BasicDisplay from Windows 8, the VGA drivers before.
        const std::string service = TextProperty(getProperty, list.Get(), device, SPDRP_SERVICE);
        // Service names are Windows' whatever their case.
        const std::string lower = LowerAscii(service);
        record.BasicDriver = lower == "basicdisplay" || lower == "vga" || lower == "vgasave";
        record.HasStatus = getStatus != nullptr &&
                           getStatus(&record.Status, &record.Problem, device.DevInst, 0) == CR_SUCCESS;
        Record.DisplayDevices.push_back(record);
    }
}
