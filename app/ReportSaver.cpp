#include "app/ReportSaver.h"

#include <clocale>
#include <fstream>

bool WriteReport(const std::string& path, std::vector<TBaseInfo*>& collectors)
{
    std::fstream file;
    file.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (file.fail()) return false;
    for (TBaseInfo* collector : collectors) collector->WriteLines(file);
    // Buffered bytes reach the disk at close: a full disk shows only here.
    file.close();
    return !file.fail();
}

void OnSave(HWND dialog, std::vector<TBaseInfo*>& collectors, TShellApi& api)
{
    static const char filter[] = "テキストファイル(*.txt)\0*.txt\0全てのファイル(*.*)\0*.*\0";
    char fileName[512] = "ruk_syslog.txt";
    char fileTitle[512] = "";

    OPENFILENAMEA record = {};
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = dialog;
    record.lpstrFilter = filter;
    record.nFilterIndex = 0;
    record.lpstrFile = fileName;
    record.nMaxFile = sizeof(fileName);
    record.lpstrFileTitle = fileTitle;
    record.nMaxFileTitle = sizeof(fileTitle);
    record.lpstrInitialDir = nullptr;
    record.lpstrTitle = "保存します。";
    record.Flags = OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT;
    record.lpstrDefExt = "txt";
    if (!api.GetSaveFileNameA(&record)) return;

    setlocale(LC_ALL, "japanese");
    if (!WriteReport(fileName, collectors))
        api.MessageBoxA(nullptr, "ファイルの保存に失敗しました", "保存エラー", MB_ICONEXCLAMATION);
}
