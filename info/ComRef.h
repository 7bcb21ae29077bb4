#ifndef ENVCHECK_INFO_COMREF_H
#define ENVCHECK_INFO_COMREF_H

#include <windows.h>

// Owns one counted reference to a COM object and releases it on destruction.
template <typename Interface>
class TComRef {
public:
    TComRef() : Pointer(nullptr) {}
    ~TComRef() { Reset(); }
    TComRef(const TComRef&) = delete;
    TComRef& operator=(const TComRef&) = delete;

    void Reset()
    {
        if (Pointer != nullptr) Pointer->Release();
        Pointer = nullptr;
    }
    // For a call that stores a new reference: the old one is released first.
    Interface** Receive()
    {
        Reset();
        return &Pointer;
    }
    // Takes a reference a call returned (null for none), releasing the old one.
    void Reset(Interface* pointer)
    {
        Reset();
        Pointer = pointer;
    }
    Interface* Get() const { return Pointer; }
    Interface* operator->() const { return Pointer; }

private:
    Interface* Pointer;
};

#endif
