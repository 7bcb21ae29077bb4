#ifndef ENVCHECK_THREAD_CRITICALSECTION_H
#define ENVCHECK_THREAD_CRITICALSECTION_H

#include <windows.h>

// One Win32 critical section; Initialize must run before the first Enter
// and before destruction.
class TCriticalSection {
public:
    TCriticalSection() = default;
    virtual ~TCriticalSection();
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    bool Initialize();
    bool Enter();
    bool Leave();

private:
    CRITICAL_SECTION Section;
};

// Holds a section for the lifetime of a scope.
class TLock {
public:
    explicit TLock(TCriticalSection& section) : Section(section) { Section.Enter(); }
    ~TLock() { Section.Leave(); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;

private:
    TCriticalSection& Section;
};

#endif
