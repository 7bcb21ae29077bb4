#ifndef ENVCHECK_TESTS_APP_FAKESHELLAPI_H
#define ENVCHECK_TESTS_APP_FAKESHELLAPI_H

#include <functional>
#include <string>
#include <vector>

#include "app/ShellApi.h"

// Records the shell's platform calls; answers as configured.
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
    std::string ChosenPath;
    OPENFILENAMEA Record = {};
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
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        Boxes.push_back({owner, text, caption, type});
        return IDOK;
    }
    BOOL GetSaveFileNameA(LPOPENFILENAMEA record) override
    {
        ++SaveDialogs;
        Record = *record;
        FileBuffer = record->lpstrFile;
        Filter.clear();
        for (const char* at = record->lpstrFilter; at != nullptr && *at != '\0'; at += std::string(at).size() + 1)
            Filter += std::string(at) + '|';
        if (SaveResult) std::snprintf(record->lpstrFile, record->nMaxFile, "%s", ChosenPath.c_str());
        if (AfterChoice) AfterChoice();
        return SaveResult;
    }
};

#endif
