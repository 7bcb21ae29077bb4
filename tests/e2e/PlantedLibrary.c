/* A library that must never be loaded: when it is, it leaves a mark
   ("<its own path>.loaded") and refuses to stay. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    char path[MAX_PATH + 8];
    DWORD length;
    HANDLE mark;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return FALSE;
    lstrcatA(path, ".loaded");
    mark = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    return FALSE;
}
