#ifndef ENVCHECK_INFO_PLATFORMBUFFER_H
#define ENVCHECK_INFO_PLATFORMBUFFER_H

#include <windows.h>

#include <cstddef>
#include <vector>

// A zero-filled buffer of the size a platform call asked for. A size beyond
// any real answer is refused instead of allocated, and the records that the
// platform chains inside it can be checked to lie within it.
class TPlatformBuffer {
public:
    static const size_t Limit = 64 * 1024 * 1024;

    // At least `minimum` bytes, so a record's fixed fields can always be read.
    bool Resize(size_t size, size_t minimum = 0);
    BYTE* Get() { return Bytes.empty() ? nullptr : Bytes.data(); }
    const BYTE* Get() const { return Bytes.empty() ? nullptr : Bytes.data(); }
    size_t Size() const { return Bytes.size(); }
    // True when `size` bytes at `at` lie inside the buffer.
    bool Holds(const void* at, size_t size) const;

private:
    std::vector<BYTE> Bytes;
};

#endif
