#ifndef ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H
#define ENVCHECK_INFO_DIRECTX_DIRECTXINFO_H

#include <d3d9.h>
#include <dxdiag.h>

#include "info/BaseInfo.h"

class TDirectXInfo : public TBaseInfo {
public:
    TDirectXInfo();
    void Collect() override;

private:
    IDirect3D9* Direct3D;
    IDxDiagProvider* Provider;
    IDxDiagContainer* Root;
};

#endif
