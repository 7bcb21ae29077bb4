#include "app/ReportSaver.h"

#include <windows.h>

#include <algorithm>
#include <clocale>
#include <sstream>

namespace {

const DWORD WriteChunk = 1024 * 1024;

// The full path and where its file name starts; empty for a device or a path
// that names no file.
std::wstring FullFilePath(const std::wstring& path, size_t& nameAt)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return std::wstring();
    std::wstring full(size, L'\0');
    wchar_t* name = nullptr;
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], &name);
    if (length == 0 || length >= size || name == nullptr) return std::wstring();
    full.resize(length);
    // NUL, COM1, "aux.txt" and the like resolve to the device namespace.
    if (full.compare(0, 4, L"\\\\.\\") == 0) return std::wstring();
    nameAt = static_cast<size_t>(name - full.c_str());
    return full;
}

// True when nothing is there yet, or a plain file on a disk that may be
// written. Windows refuses to replace a read-only file; Wine would not.
bool IsWritableFileOrNothing(const std::wstring& full)
{
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) return false;
    HANDLE existing = CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (existing == INVALID_HANDLE_VALUE) return false;
    const DWORD type = GetFileType(existing);
    CloseHandle(existing);
    return type == FILE_TYPE_DISK;
}

// The full path of a target that may take a report, and its folder.
bool ReportTarget(const std::wstring& path, std::wstring& full, std::wstring& folder)
{
    size_t nameAt = 0;
    full = FullFilePath(path, nameAt);
    if (full.empty() || !IsWritableFileOrNothing(full)) return false;
    folder = full.substr(0, nameAt);
    return true;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    for (size_t at = 0; written && at < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - at, WriteChunk));
        DWORD done = 0;
        // A full disk may take fewer bytes than asked without an error.
        written = WriteFile(file, bytes.data() + at, chunk, &done, nullptr) != FALSE && done > 0;
        at += done;
    }
    // Bytes still buffered may fail to reach the disk only here.
    const bool closed = CloseHandle(file) != FALSE;
    return written && closed;
}

}  // namespace

std::string ReportText(const std::vector<TBaseInfo*>& collectors)
{
    std::ostringstream text;
    for (TBaseInfo* collector : collectors) collector->WriteLines(text);
    return text.str();
}

bool CanHoldReport(const std::wstring& path)
{
    std::wstring full, folder;
    if (!ReportTarget(path, full, folder)) return false;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WriteReport(const std::wstring& path, const std::vector<TBaseInfo*>& collectors)
{
    std::wstring full, folder;
    if (!ReportTarget(path, full, folder)) return false;
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(folder.c_str(), L"env", 0, temporary) == 0) return false;
    bool saved = false;
    try {
        saved = WriteWhole(temporary, ReportText(collectors)) &&
                MoveFileExW(temporary, full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    } catch (...) {
        // Out of memory for the text: nothing is replaced.
    }
    if (!saved) DeleteFileW(temporary);
    return saved;
}

void SaveReportAs(HWND owner, const std::vector<TBaseInfo*>& collectors, TShellApi& api)
{
    static const wchar_t filter[] = L"テキストファイル(*.txt)\0*.txt\0全てのファイル(*.*)\0*.*\0";
    // Wide: the chosen path names the file it names, in any code page.
    wchar_t fileName[512] = L"ruk_syslog.txt";
    wchar_t fileTitle[512] = L"";

    OPENFILENAMEW record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    record.hwndOwner = owner;
    record.lpstrFilter = filter;
    record.lpstrFile = fileName;
    record.nMaxFile = sizeof(fileName) / sizeof(fileName[0]);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = sizeof(fileTitle) / sizeof(fileTitle[0]);
    record.lpstrTitle = L"保存します。";
    record.Flags = OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
    record.lpstrDefExt = L"txt";
    if (!api.GetSaveFileNameW(&record)) return;

    setlocale(LC_ALL, "japanese");
    if (!WriteReport(fileName, collectors)) ShowError(api, "ファイルの保存に失敗しました", "保存エラー");
}
