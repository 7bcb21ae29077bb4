#ifndef ENVCHECK_FAKES_CURRENT_FAKECOUNTED_H
#define ENVCHECK_FAKES_CURRENT_FAKECOUNTED_H

#include <windows.h>

#include "fakes/current/FakeCurrentSystem.h"

// IUnknown for every fake COM object of the current-system machine: counted
// in its LiveObjects, and the object gone with its last reference.
template <typename Interface>
class TFakeCounted : public Interface {
public:
    TFakeCounted() { ++TFakeCurrentSystem::Current().LiveObjects; }
    virtual ~TFakeCounted() { --TFakeCurrentSystem::Current().LiveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --References;
        if (left == 0) delete this;
        return left;
    }

private:
    ULONG References = 1;
};

#endif
