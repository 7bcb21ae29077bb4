#include <vector>

#include "info/WideText.h"
#include "info/current/CurrentFunctions.h"
#include "info/current/CurrentSystemInfo.h"

namespace {

// No machine drives more; a count beyond it is not believed.
const UINT32 PathLimit = 256;

template <typename Request>
Request RequestFor(DISPLAYCONFIG_DEVICE_INFO_TYPE type, const LUID& adapter, UINT32 id)
{
    Request request = {};
    request.header.type = type;
    request.header.size = sizeof(request);
    request.header.adapterId = adapter;
    request.header.id = id;
    return request;
}

}  // namespace

// How each active display is connected, its monitor's name and HDR, matched
// to the displays DXGI listed by their GDI names.
void TCurrentSystemInfo::ReadDisplayConfiguration()
{
    const TLoadedModule user32(Api, "user32.dll");
    const auto bufferSizes = FindFunction<User32::GetDisplayConfigBufferSizes>(user32);
    const auto query = FindFunction<User32::QueryDisplayConfig>(user32);
    const auto deviceInfo = FindFunction<User32::DisplayConfigGetDeviceInfo>(user32);
    if (bufferSizes == nullptr || query == nullptr || deviceInfo == nullptr) return;
    std::vector<DISPLAYCONFIG_PATH_INFO> paths;
    std::vector<DISPLAYCONFIG_MODE_INFO> modes;
    LONG result = ERROR_INSUFFICIENT_BUFFER;
    // A display that comes between the two calls makes the buffers short: asked again.
    for (int attempt = 0; attempt < 3 && result == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
        UINT32 pathCount = 0;
        UINT32 modeCount = 0;
        if (bufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS || pathCount == 0 ||
            pathCount > PathLimit || modeCount > 2 * PathLimit)
            return;
        paths.assign(pathCount, DISPLAYCONFIG_PATH_INFO());
        modes.assign(modeCount == 0 ? 1 : modeCount, DISPLAYCONFIG_MODE_INFO());
        result = query(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr);
        if (result == ERROR_SUCCESS && pathCount < paths.size()) paths.resize(pathCount);
    }
    if (result != ERROR_SUCCESS) return;
    for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
        auto source = RequestFor<DISPLAYCONFIG_SOURCE_DEVICE_NAME>(DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME,
                                                                   path.sourceInfo.adapterId, path.sourceInfo.id);
        if (deviceInfo(&source.header) != ERROR_SUCCESS) continue;
        const std::string name = FieldText(source.viewGdiDeviceName);
        // A clone drives several targets from one source: the first one speaks for it.
        DisplayRecord* display = nullptr;
        for (GraphicsAdapterRecord& adapter : Record.Adapters)
            for (DisplayRecord& candidate : adapter.Displays)
                if (display == nullptr && !candidate.HasConnection && candidate.DeviceName == name) display = &candidate;
        if (display == nullptr) continue;
        auto target = RequestFor<DISPLAYCONFIG_TARGET_DEVICE_NAME>(DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME,
                                                                   path.targetInfo.adapterId, path.targetInfo.id);
        if (deviceInfo(&target.header) == ERROR_SUCCESS) {
            display->HasConnection = true;
            display->Connection = static_cast<UINT32>(target.outputTechnology);
            display->MonitorName = FieldText(target.monitorFriendlyDeviceName);
        }
        // Windows 10 1709 and later; an older one refuses the request. Advanced colour is HDR
        // unless it is wide colour enforced on an SDR display (Windows 11's automatic colour management).
        auto colour = RequestFor<DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO>(
            DISPLAYCONFIG_DEVICE_INFO_GET_ADVANCED_COLOR_INFO, path.targetInfo.adapterId, path.targetInfo.id);
        if (deviceInfo(&colour.header) == ERROR_SUCCESS && colour.advancedColorSupported && !colour.wideColorEnforced) {
            display->HdrSupported = true;
            display->HdrOn = colour.advancedColorEnabled && !colour.advancedColorForceDisabled;
        }
    }
}
