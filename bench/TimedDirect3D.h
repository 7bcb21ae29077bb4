#ifndef ENVCHECK_BENCH_TIMEDDIRECT3D_H
#define ENVCHECK_BENCH_TIMEDDIRECT3D_H

#include <d3d9.h>

#include "TimedRefCount.h"

class TTimedDirect3D : public TTimedObject<IDirect3D9> {
public:
    using TTimedObject::TTimedObject;
    HRESULT STDMETHODCALLTYPE RegisterSoftwareDevice(void* entry) override
    {
        return Timed([&] { return Real->RegisterSoftwareDevice(entry); });
    }
    UINT STDMETHODCALLTYPE GetAdapterCount() override { return Timed([&] { return Real->GetAdapterCount(); }); }
    HRESULT STDMETHODCALLTYPE GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* record) override
    {
        return Timed([&] { return Real->GetAdapterIdentifier(adapter, flags, record); });
    }
    UINT STDMETHODCALLTYPE GetAdapterModeCount(UINT adapter, D3DFORMAT format) override
    {
        return Timed([&] { return Real->GetAdapterModeCount(adapter, format); });
    }
    HRESULT STDMETHODCALLTYPE EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* record) override
    {
        return Timed([&] { return Real->EnumAdapterModes(adapter, format, mode, record); });
    }
    HRESULT STDMETHODCALLTYPE GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override
    {
        return Timed([&] { return Real->GetAdapterDisplayMode(adapter, mode); });
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT display, D3DFORMAT back,
                                              WINBOOL windowed) override
    {
        return Timed([&] { return Real->CheckDeviceType(adapter, type, display, back, windowed); });
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                                D3DRESOURCETYPE resource, D3DFORMAT format) override
    {
        return Timed([&] { return Real->CheckDeviceFormat(adapter, type, adapterFormat, usage, resource, format); });
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                                         WINBOOL windowed, D3DMULTISAMPLE_TYPE samples,
                                                         DWORD* levels) override
    {
        return Timed(
            [&] { return Real->CheckDeviceMultiSampleType(adapter, type, format, windowed, samples, levels); });
    }
    HRESULT STDMETHODCALLTYPE CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                                     D3DFORMAT target, D3DFORMAT depth) override
    {
        return Timed([&] { return Real->CheckDepthStencilMatch(adapter, type, adapterFormat, target, depth); });
    }
    HRESULT STDMETHODCALLTYPE CheckDeviceFormatConversion(UINT adapter, D3DDEVTYPE type, D3DFORMAT source,
                                                          D3DFORMAT target) override
    {
        return Timed([&] { return Real->CheckDeviceFormatConversion(adapter, type, source, target); });
    }
    HRESULT STDMETHODCALLTYPE GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override
    {
        return Timed([&] { return Real->GetDeviceCaps(adapter, type, caps); });
    }
    HMONITOR STDMETHODCALLTYPE GetAdapterMonitor(UINT adapter) override
    {
        return Timed([&] { return Real->GetAdapterMonitor(adapter); });
    }
    HRESULT STDMETHODCALLTYPE CreateDevice(UINT adapter, D3DDEVTYPE type, HWND window, DWORD flags,
                                           D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override
    {
        return Timed([&] { return Real->CreateDevice(adapter, type, window, flags, parameters, device); });
    }
};

#endif
