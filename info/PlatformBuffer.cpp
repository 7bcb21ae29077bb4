#include "info/PlatformBuffer.h"

#include <new>

bool TPlatformBuffer::Resize(size_t size, size_t minimum)
{
    if (size > Limit) return false;
    try {
        Bytes.assign(size < minimum ? minimum : size, 0);
    } catch (const std::bad_alloc&) {
        Bytes.clear();
        return false;
    }
    return true;
}

bool TPlatformBuffer::Holds(const void* at, size_t size) const
{
    if (at == nullptr || Bytes.empty()) return false;
    const BYTE* start = Bytes.data();
    const BYTE* byte = static_cast<const BYTE*>(at);
    return byte >= start && size <= Bytes.size() && byte <= start + (Bytes.size() - size);
}
