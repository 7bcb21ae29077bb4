#include "info/process/ProcessApi.h"

TProcessApi& Win32ProcessApi()
{
    static TWin32ProcessApi api;
    return api;
}
