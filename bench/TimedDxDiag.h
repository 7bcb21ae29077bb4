#ifndef ENVCHECK_BENCH_TIMEDDXDIAG_H
#define ENVCHECK_BENCH_TIMEDDXDIAG_H

#include <dxdiag.h>

#include "TimedRefCount.h"

class TTimedContainer : public TTimedObject<IDxDiagContainer> {
public:
    using TTimedObject::TTimedObject;
    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD* count) override
    {
        return Timed([&] { return Real->GetNumberOfChildContainers(count); });
    }
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD index, LPWSTR name, DWORD size) override
    {
        return Timed([&] { return Real->EnumChildContainerNames(index, name, size); });
    }
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR path, IDxDiagContainer** child) override
    {
        const HRESULT result = Timed([&] { return Real->GetChildContainer(path, child); });
        if (SUCCEEDED(result) && *child != nullptr) *child = new TTimedContainer(*child);
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD* count) override
    {
        return Timed([&] { return Real->GetNumberOfProps(count); });
    }
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD index, LPWSTR name, DWORD size) override
    {
        return Timed([&] { return Real->EnumPropNames(index, name, size); });
    }
    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override
    {
        return Timed([&] { return Real->GetProp(name, value); });
    }
};

class TTimedProvider : public TTimedObject<IDxDiagProvider> {
public:
    using TTimedObject::TTimedObject;
    HRESULT STDMETHODCALLTYPE Initialize(DXDIAG_INIT_PARAMS* parameters) override
    {
        return Timed([&] { return Real->Initialize(parameters); });
    }
    HRESULT STDMETHODCALLTYPE GetRootContainer(IDxDiagContainer** root) override
    {
        const HRESULT result = Timed([&] { return Real->GetRootContainer(root); });
        if (SUCCEEDED(result) && *root != nullptr) *root = new TTimedContainer(*root);
        return result;
    }
};

#endif
