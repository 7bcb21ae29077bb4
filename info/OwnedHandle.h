#ifndef ENVCHECK_INFO_OWNEDHANDLE_H
#define ENVCHECK_INFO_OWNEDHANDLE_H

#include <functional>
#include <utility>

// Owns one platform handle and gives it back through the close call of
// whatever opened it, on every way out of its scope. None is the value the
// opening call returns on failure: a handle equal to it is never closed.
template <typename Handle>
class TOwnedHandle {
public:
    typedef std::function<void(Handle)> CloseCall;

    explicit TOwnedHandle(Handle none) : Value(none), None(none) {}
    TOwnedHandle(Handle handle, Handle none, CloseCall close) : Close(std::move(close)), Value(handle), None(none) {}
    // A handle opened through a seam, closed through the same seam.
    template <typename Seam, typename Result>
    TOwnedHandle(Seam& seam, Result (Seam::*close)(Handle), Handle handle, Handle none)
        : TOwnedHandle(handle, none, [&seam, close](Handle value) { (seam.*close)(value); })
    {
    }
    ~TOwnedHandle() { Reset(); }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;

    void Reset()
    {
        if (Value != None && Close) Close(Value);
        Value = None;
    }
    // Takes a new handle; the one held before is closed first.
    void Reset(Handle handle, CloseCall close)
    {
        Reset();
        Value = handle;
        Close = std::move(close);
    }
    bool IsOpen() const { return Value != None; }
    Handle Get() const { return Value; }

private:
    CloseCall Close;
    Handle Value;
    Handle None;
};

#endif
