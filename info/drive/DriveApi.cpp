#include "info/drive/DriveApi.h"

TDriveApi& Win32DriveApi()
{
    static TWin32DriveApi api;
    return api;
}
