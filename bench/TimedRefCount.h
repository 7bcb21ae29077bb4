#ifndef ENVCHECK_BENCH_TIMEDREFCOUNT_H
#define ENVCHECK_BENCH_TIMEDREFCOUNT_H

#include <windows.h>

#include "PlatformClock.h"

// A stand-in for a COM object that times every call of the real one. It
// holds one reference of the real object and lives as long as its own count.
template <typename Interface>
class TTimedObject : public Interface {
public:
    explicit TTimedObject(Interface* real) : Real(real) {}
    virtual ~TTimedObject() = default;
    TTimedObject(const TTimedObject&) = delete;
    TTimedObject& operator=(const TTimedObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        return Timed([&] { return Real->QueryInterface(id, object); });
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --References;
        if (left == 0) {
            Timed([&] { return Real->Release(); });
            delete this;
        }
        return left;
    }

protected:
    Interface* Real;

private:
    ULONG References = 1;
};

#endif
