#ifndef ENVCHECK_INFO_CURRENT_CURRENTFUNCTIONS_H
#define ENVCHECK_INFO_CURRENT_CURRENTFUNCTIONS_H

#include <windows.h>
#include <dxgi.h>
#include <shellscalingapi.h>

#include "info/RuntimeFunction.h"

// The current-system collector's functions that some Windows lack, per
// library (kernel32's are with the others in Kernel32Functions.h).
namespace Ntdll {
// The true version, whatever compatibility answer GetVersionEx gives.
ENVCHECK_RUNTIME_FUNCTION_TYPED(RtlGetVersion, LONG(WINAPI*)(PRTL_OSVERSIONINFOW))
}  // namespace Ntdll

namespace User32 {
ENVCHECK_RUNTIME_FUNCTION_TYPED(SetThreadDpiAwarenessContext,
                                DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT))  // 10 1607
}  // namespace User32

namespace Shcore {
ENVCHECK_RUNTIME_FUNCTION_TYPED(GetDpiForMonitor, HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*))  // 8.1
}  // namespace Shcore

namespace Dxgi {
ENVCHECK_RUNTIME_FUNCTION(CreateDXGIFactory1)  // Vista with the platform update, 7
}  // namespace Dxgi

#endif
