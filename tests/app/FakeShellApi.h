#ifndef ENVCHECK_TESTS_APP_FAKESHELLAPI_H
#define ENVCHECK_TESTS_APP_FAKESHELLAPI_H

#include <functional>
#include <string>
#include <vector>

#include "app/ShellApi.h"
#include "info/WideText.h"

// Records the shell's platform calls, their texts as cp932; answers as configured.
class TFakeShellApi : public TShellApi {
public:
    struct TBox {
        HWND Owner;
        std::string Text;
        std::string Caption;
        UINT Type;
    };

    HRESULT InitializeResult = S_OK;
    int Initializes = 0;
    int Uninitializes = 0;
    std::vector<TBox> Boxes;

    // The save dialog: the record as it was passed, and what to answer.
    BOOL SaveResult = TRUE;
    std::wstring ChosenPath;
    OPENFILENAMEW Record = {};
    std::string FileBuffer;
    std::string Filter;
    int SaveDialogs = 0;
    std::function<void()> AfterChoice;  // what happens between the choice and the writing

    HRESULT CoInitialize(LPVOID reserved) override
    {
        ++Initializes;
        return reserved == nullptr ? InitializeResult : E_INVALIDARG;
    }
    void CoUninitialize() override { ++Uninitializes; }
    int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) override
    {
        Boxes.push_back({owner, NarrowText(text, ReportCodePage), NarrowText(caption, ReportCodePage), type});
        return IDOK;
    }
    BOOL GetSaveFileNameW(LPOPENFILENAMEW record) override
    {
        ++SaveDialogs;
        Record = *record;
        FileBuffer = NarrowText(record->lpstrFile, ReportCodePage);
        Filter.clear();
        for (const wchar_t* at = record->lpstrFilter; at != nullptr && *at != L'\0'; at += wcslen(at) + 1)
            Filter += NarrowText(at, ReportCodePage) + '|';
        if (SaveResult) lstrcpynW(record->lpstrFile, ChosenPath.c_str(), static_cast<int>(record->nMaxFile));
        if (AfterChoice) AfterChoice();
        return SaveResult;
    }
};

#endif
