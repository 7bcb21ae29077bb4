#include "info/service/ServiceApi.h"

TServiceApi& Win32ServiceApi()
{
    static TWin32ServiceApi api;
    return api;
}
