#ifndef ENVCHECK_INFO_DIRECTX_DIRECTXAPI_H
#define ENVCHECK_INFO_DIRECTX_DIRECTXAPI_H

#include <windows.h>
#include <oleauto.h>

#include "info/LibraryApi.h"
#include "info/Win32Seam.h"

// Platform seam of the DirectX collector (see TVersionApi for the pattern).
// Direct3DCreate9 is found at run time through the library calls.
class TDirectXApi : public TLibraryApi {
public:
    virtual HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                                     LPVOID* object) = 0;
    virtual void VariantInit(VARIANTARG* value) = 0;
    virtual HRESULT VariantClear(VARIANTARG* value) = 0;
    virtual int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow,
                                    int narrowSize, LPCCH defaultChar, LPBOOL usedDefaultChar) = 0;
    virtual BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value) = 0;
    virtual int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) = 0;
};

class TWin32DirectXApi : public TWin32LibraryCalls<TDirectXApi> {
public:
    HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                             LPVOID* object) override
    {
        return ::CoCreateInstance(classId, outer, context, interfaceId, object);
    }
    void VariantInit(VARIANTARG* value) override { ::VariantInit(value); }
    HRESULT VariantClear(VARIANTARG* value) override { return ::VariantClear(value); }
    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR narrow, int narrowSize,
                            LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        return ::WideCharToMultiByte(codePage, flags, wide, wideLength, narrow, narrowSize, defaultChar,
                                     usedDefaultChar);
    }
    BOOL IsDBCSLeadByteEx(UINT codePage, BYTE value) override { return ::IsDBCSLeadByteEx(codePage, value); }
    int StringFromGUID2(REFGUID guid, LPOLESTR text, int size) override
    {
        return ::StringFromGUID2(guid, text, size);
    }
};

inline TDirectXApi& Win32DirectXApi() { return Win32Seam<TWin32DirectXApi>(); }

#endif
