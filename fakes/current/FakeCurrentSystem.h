#ifndef ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H
#define ENVCHECK_FAKES_CURRENT_FAKECURRENTSYSTEM_H

#include <windows.h>
#include <dxgi.h>
#include <cfgmgr32.h>

#include <string>
#include <vector>

#include "fakes/CurrentFake.h"
#include "fakes/FakeLibraryCalls.h"
#include "fakes/current/FakePrerequisites.h"
#include "info/FunctionCast.h"
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
    std::vector<DWORD> Rates;  // the other modes' rates at this resolution
    DWORD Interlaced = 0;      // then an interlaced mode's rate here; 0: none
    // The display configuration's target: its connection, monitor name and HDR.
    DISPLAYCONFIG_VIDEO_OUTPUT_TECHNOLOGY Connection = DISPLAYCONFIG_OUTPUT_TECHNOLOGY_HDMI;
    std::wstring MonitorName;
    int Hdr = -1;  // -1: no advanced colour; 0 off; 1 on
    bool WideColor = false;  // advanced colour as wide colour on an SDR display, not HDR
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
    UINT FeatureLevel = 0;  // 0: D3D11CreateDevice fails on it
    UINT ShaderModel = 0;   // 0: D3D12CreateDevice fails on it
};

// One present device of the display class.
struct TFakeDisplayDevice {
    std::wstring Name;          // its description
    std::wstring FriendlyName;  // most have none
    std::wstring Driver;        // its key under the class key
    std::wstring Service;
    ULONG Status = DN_DRIVER_LOADED | DN_STARTED;
    ULONG Problem = 0;
    bool StatusFails = false;
};

// A machine for the current-system collector: ntdll, kernel32, user32, shcore
// and dxgi, each of which a test may take away, and DXGI's objects. Its
// registry is a TFakeSystem's.
class TFakeCurrentSystem : public TFakeLibraryCalls<TCurrentSystemApi>,
                           public TCurrentFake<TFakeCurrentSystem>,
                           public TFakePrerequisites {
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
    bool RemoteSession = false;
    // DXGI 1.6's first adapter for each preference, by index; -1: the list is empty.
    bool Dxgi16 = false;
    int HighPerformance = -1;
    int MinimumPower = -1;
    UINT NewestFeatureLevel = 0xc200;  // what d3d12 knows (d3d11 at most 12_1); a newer one in a list is refused
    UINT NewestShaderModel = 0x69;     // what d3d12 knows
    std::vector<TFakeDisplayDevice> Devices;
    UINT32 PathsAdded = 0;  // displays that come between the configuration's two calls

    void SetVersion(DWORD major, DWORD minor, DWORD build, BYTE productType = VER_NT_WORKSTATION);
    // Today's Windows: d3d11, d3d12, setupapi, cfgmgr32, DXGI 1.6 and the
    // display configuration, which a machine lacks until then.
    void Graphics();
    // Today's firmware, TPM, code integrity, Security Center, power plan and
    // event log, which a machine lacks until then.
    void Prerequisites();

    // The books a run must balance.
    int LiveObjects = 0;                              // DXGI objects not yet released
    std::vector<DPI_AWARENESS_CONTEXT> Awareness;     // every context the thread was given
    int DcsHeld = 0;
    std::vector<std::wstring> ModesAsked;
    int Factories = 0;          // DXGI factories made
    int Direct3D12Devices = 0;  // made
    int DeviceListsHeld = 0;
    int ObjectsAliveAtFree = 0;  // the most DXGI or Direct3D objects alive when dxgi, d3d11 or d3d12 went
    // What a run has not given back: empty when every COM object, library, DC,
    // device list, string, scheme, log, thread and apartment it took is returned.
    std::string Held() const;

    HMODULE GetModuleHandleA(LPCSTR name) override;
    BOOL FreeLibrary(HMODULE module) override;
    HANDLE GetCurrentProcess() override { return reinterpret_cast<HANDLE>(-1); }
    BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD mode, DEVMODEW* settings) override;
    HDC GetDC(HWND window) override;
    int ReleaseDC(HWND window, HDC dc) override;
    int GetDeviceCaps(HDC dc, int index) override;
    BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) override;
    int GetSystemMetrics(int index) override { return index == SM_REMOTESESSION && RemoteSession ? 1 : 0; }
    DWORD GetLastError() override { return LastError; }
    DWORD GetTickCount() override { return Ticks; }
    void GetSystemTimeAsFileTime(LPFILETIME time) override;
    BOOL FileTimeToLocalFileTime(const FILETIME* time, LPFILETIME local) override;
    BOOL FileTimeToSystemTime(const FILETIME* time, LPSYSTEMTIME system) override;
    DWORD GetFileAttributesW(LPCWSTR path) override;
    HLOCAL LocalFree(HLOCAL memory) override;
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override;
    BSTR SysAllocString(const OLECHAR* text) override;
    void SysFreeString(BSTR text) override;
    HRESULT VariantClear(VARIANTARG* value) override;
    HRESULT CoInitialize(LPVOID reserved) override;
    void CoUninitialize() override { --ApartmentsHeld; }
    uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned(__stdcall* start)(void*), void* argument,
                             unsigned flags, unsigned* threadId) override;
    DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) override;
    BOOL CloseHandle(HANDLE object) override;

private:
    // The functions of the libraries above that Prerequisites() brings.
    void ProvidePrerequisites(TFunctions& kernel32, TFunctions& ntdll);
};

#endif
