#include "info/directx/DirectXApi.h"

TDirectXApi& Win32DirectXApi()
{
    static TWin32DirectXApi api;
    return api;
}
