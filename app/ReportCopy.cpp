#include "app/ReportCopy.h"

#include <cstring>

#include "info/WideText.h"

namespace {

// Hands a NUL-ended copy of the bytes to the clipboard, which then owns it.
bool SetClipboardBytes(UINT format, const void* bytes, size_t size, size_t terminator)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + terminator);
    if (memory == nullptr) return false;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) == nullptr) {
        GlobalFree(memory);
        return false;
    }
    return true;
}

}  // namespace

bool CopyReport(HWND owner, const std::string& report)
{
    const std::wstring text = WideText(report, ReportCodePage);
    if (!OpenClipboard(owner)) return false;
    const bool copied = EmptyClipboard() &&
                        SetClipboardBytes(CF_UNICODETEXT, text.data(), text.size() * sizeof(wchar_t),
                                          sizeof(wchar_t)) &&
                        SetClipboardBytes(CF_TEXT, report.data(), report.size(), 1);
    CloseClipboard();
    return copied;
}
