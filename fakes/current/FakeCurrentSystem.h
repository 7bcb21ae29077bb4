#ifndef ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H
#define ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H

#include <windows.h>
#include <dxgi.h>

#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "info/current/CurrentSystemApi.h"
#include "info/current/CurrentSystemInfo.h"

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
    bool Primary = false;  // GetMonitorInfoW's MONITORINFOF_PRIMARY
};

// One graphics adapter as DXGI describes it.
struct TFakeGpu {
    std::wstring Description;
    UINT VendorId = 0;
    UINT DeviceId = 0;
    UINT SubSysId = 0;
    UINT Revision = 0;
    // The true sizes: a 32-bit process is told at most 4 GiB - 1.
    ULONGLONG DedicatedVideoMemory = 0;
    ULONGLONG DedicatedSystemMemory = 0;
    ULONGLONG SharedSystemMemory = 0;
    UINT Flags = 0;
    LONGLONG DriverVersion = 0;  // 0: CheckInterfaceSupport fails
    std::vector<TFakeDisplay> Displays;
    HRESULT OutputsEnd = DXGI_ERROR_NOT_FOUND;  // what EnumOutputs answers past the last
};

// A machine for the current-system collector: ntdll, kernel32, user32, shcore
// and dxgi, each of which a test may take away, and DXGI's objects. Its
// registry is a TFakeSystem's.
class TFakeCurrentSystem : public TFakeLibraryCalls<TCurrentSystemApi>, public TCurrentFake<TFakeCurrentSystem> {
public:
    TFakeCurrentSystem();

    RTL_OSVERSIONINFOEXW Version = {};
    // Windows' machine and the program's: the WOW64 and machine-type calls
    // answer as Windows answers such a program. Both are this build's own
    // unless a test says otherwise.
    USHORT NativeMachine = OwnMachine;
    USHORT ProgramMachine = OwnMachine;
    SYSTEM_POWER_STATUS Power = {1, 128, 255, 0, 0xFFFFFFFF, 0xFFFFFFFF};
    int SystemDpi = 96;  // what GetDeviceCaps answers
    std::vector<TFakeGpu> Gpus;
    HRESULT AdaptersEnd = DXGI_ERROR_NOT_FOUND;  // what EnumAdapters1 answers past the last

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
    BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) override;
};

#endif
