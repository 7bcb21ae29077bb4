#ifndef ENVCHECK_INFO_FUNCTIONCAST_H
#define ENVCHECK_INFO_FUNCTIONCAST_H

#include <windows.h>

// A function found at run time, as the type it really has (or back).
template <typename To, typename From>
To FunctionCast(From function)
{
    return reinterpret_cast<To>(reinterpret_cast<void*>(function));
}

#endif
