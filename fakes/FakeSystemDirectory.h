#ifndef ENVCHECK_FAKES_FAKESYSTEMDIRECTORY_H
#define ENVCHECK_FAKES_FAKESYSTEMDIRECTORY_H

#include <windows.h>

#include <cstring>

// What every fake platform answers to GetSystemDirectoryA.
inline UINT FakeSystemDirectory(LPSTR buffer, UINT size)
{
    const char directory[] = "C:\\WINDOWS\\system32";
    if (size < sizeof(directory)) return sizeof(directory);
    memcpy(buffer, directory, sizeof(directory));
    return sizeof(directory) - 1;
}

#endif
