#ifndef ENVCHECK_INFO_DIRECTX_PROPERTYTABLES_H
#define ENVCHECK_INFO_DIRECTX_PROPERTYTABLES_H

#include <cstddef>

#include "info/directx/DirectXInfo.h"

extern const DxPropertyRow SystemProperties[];
extern const DxPropertyRow SoundDeviceProperties[];
extern const DxPropertyRow DisplayDeviceProperties[];
extern const size_t SystemPropertyCount;
extern const size_t SoundDevicePropertyCount;
extern const size_t DisplayDevicePropertyCount;

#endif
