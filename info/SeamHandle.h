#ifndef ENVCHECK_INFO_SEAMHANDLE_H
#define ENVCHECK_INFO_SEAMHANDLE_H

// Owns one platform handle and gives it back through the seam's own close
// call on every way out of its scope. None is the value the opening call
// returns on failure: a handle equal to it is never closed.
template <typename Seam, typename Handle, typename Result>
class TSeamHandle {
public:
    typedef Result (Seam::*CloseCall)(Handle);

    TSeamHandle(Seam& seam, CloseCall close, Handle handle, Handle none)
        : Api(seam), Close(close), Value(handle), None(none)
    {
    }
    ~TSeamHandle()
    {
        if (Value != None) (Api.*Close)(Value);
    }
    TSeamHandle(const TSeamHandle&) = delete;
    TSeamHandle& operator=(const TSeamHandle&) = delete;

    bool IsOpen() const { return Value != None; }
    Handle Get() const { return Value; }

private:
    Seam& Api;
    CloseCall Close;
    Handle Value;
    Handle None;
};

#endif
