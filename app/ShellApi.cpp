#include "app/ShellApi.h"

TShellApi& Win32ShellApi()
{
    static TWin32ShellApi api;
    return api;
}
