#ifndef ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H
#define ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H

#include <windows.h>
#include <dxgi.h>

#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/current/CurrentSystemApi.h"

// One output of a fake graphics adapter, and its mode and DPI.
struct TFakeDisplay {
    std::wstring Name = L"\\\\.\\DISPLAY1";
    RECT Desktop = {0, 0, 1920, 1080};
    BOOL Attached = TRUE;
    bool HasMode = true;
    DWORD Width = 1920;
    DWORD Height = 1080;
    DWORD Refresh = 60;
    UINT Dpi = 96;  // 0: GetDpiForMonitor fails for this monitor
};

// One graphics adapter as DXGI describes it.
struct TFakeGpu {
    std::wstring Description;
    UINT VendorId = 0;
    UINT DeviceId = 0;
    UINT SubSysId = 0;
    UINT Revision = 0;
    SIZE_T DedicatedVideoMemory = 0;
    SIZE_T DedicatedSystemMemory = 0;
    SIZE_T SharedSystemMemory = 0;
    UINT Flags = 0;
    LONGLONG DriverVersion = 0;  // 0: CheckInterfaceSupport fails
    std::vector<TFakeDisplay> Displays;
};

// A machine for the current-system collector: ntdll, kernel32, user32, shcore
// and dxgi, each of which a test may take away, and DXGI's objects. Its
// registry is a TFakeSystem's.
class TFakeCurrentSystem : public TFakeLibraryCalls<TCurrentSystemApi>, public TCurrentFake<TFakeCurrentSystem> {
public:
    TFakeCurrentSystem();

    RTL_OSVERSIONINFOEXW Version = {};
    USHORT ProcessMachine = IMAGE_FILE_MACHINE_UNKNOWN;  // IsWow64Process2's answers
    USHORT NativeMachine = IMAGE_FILE_MACHINE_I386;
    BOOL Wow64 = FALSE;  // IsWow64Process's
    SYSTEM_POWER_STATUS Power = {1, 128, 255, 0, 0xFFFFFFFF, 0xFFFFFFFF};
    int SystemDpi = 96;
    std::vector<TFakeGpu> Gpus;

    void SetVersion(DWORD major, DWORD minor, DWORD build, BYTE productType = VER_NT_WORKSTATION);

    // The books a run must balance.
    int LiveObjects = 0;                              // DXGI objects not yet released
    std::vector<DPI_AWARENESS_CONTEXT> Awareness;     // every context the thread was given
    int DcsHeld = 0;
    std::vector<std::wstring> ModesAsked;

    HMODULE GetModuleHandleA(LPCSTR name) override;
    HANDLE GetCurrentProcess() override { return reinterpret_cast<HANDLE>(-1); }
    BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) override;
    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    int GetDeviceCaps(HDC dc, int index) override;
};

#endif
