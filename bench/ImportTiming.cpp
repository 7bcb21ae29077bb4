#include "ImportTiming.h"

#include "Thunk.h"

namespace {

FARPROC WindowCallThunk(const char* function, FARPROC real)
{
    ENVCHECK_THUNK(SetScrollInfo, int, HWND, int, LPCSCROLLINFO, BOOL);
    ENVCHECK_THUNK(GetScrollInfo, BOOL, HWND, int, LPSCROLLINFO);
    ENVCHECK_THUNK(InvalidateRect, BOOL, HWND, const RECT*, BOOL);
    ENVCHECK_THUNK(UpdateWindow, BOOL, HWND);
    ENVCHECK_THUNK(GetWindowRect, BOOL, HWND, LPRECT);
    ENVCHECK_THUNK(EnableScrollBar, BOOL, HWND, UINT, UINT);
    ENVCHECK_THUNK(BeginPaint, HDC, HWND, LPPAINTSTRUCT);
    ENVCHECK_THUNK(EndPaint, BOOL, HWND, const PAINTSTRUCT*);
    ENVCHECK_THUNK(GetDlgItem, HWND, HWND, int);
    ENVCHECK_THUNK(EnableWindow, BOOL, HWND, BOOL);
    ENVCHECK_THUNK(CreateFontA, HFONT, int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                   DWORD, LPCSTR);
    ENVCHECK_THUNK(SelectObject, HGDIOBJ, HDC, HGDIOBJ);
    ENVCHECK_THUNK(SetBkMode, int, HDC, int);
    ENVCHECK_THUNK(GetTextExtentPoint32A, BOOL, HDC, LPCSTR, int, LPSIZE);
    ENVCHECK_THUNK(TextOutA, BOOL, HDC, int, int, LPCSTR, int);
    ENVCHECK_THUNK(DeleteObject, BOOL, HGDIOBJ);
    return nullptr;
}

template <typename T>
T* At(BYTE* base, DWORD offset)
{
    return reinterpret_cast<T*>(base + offset);
}

}  // namespace

void TimeWindowCalls()
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const IMAGE_NT_HEADERS* headers = At<IMAGE_NT_HEADERS>(base, At<IMAGE_DOS_HEADER>(base, 0)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports.VirtualAddress); library->Name != 0; ++library) {
        if (library->OriginalFirstThunk == 0) continue;  // no names left to match
        auto* name = At<IMAGE_THUNK_DATA>(base, library->OriginalFirstThunk);
        auto* slot = At<IMAGE_THUNK_DATA>(base, library->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const char* function =
                reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(base, name->u1.AddressOfData)->Name);
            const FARPROC thunk = WindowCallThunk(function, reinterpret_cast<FARPROC>(slot->u1.Function));
            if (thunk == nullptr) continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(thunk);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
        }
    }
}
