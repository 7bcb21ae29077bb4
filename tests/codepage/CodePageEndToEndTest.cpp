#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/Envcheck.h"
#include "info/WideText.h"

namespace {

// A file of the build, named by the variable as a Unix path.
std::wstring BuildFile(const char* variable)
{
    const char* unixPath = std::getenv(variable);
    return unixPath == nullptr ? std::wstring() : WideText(WindowsPath(unixPath), CP_ACP);
}

std::wstring FileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// What the other locale changes besides the moving figures: the languages
// Wine's DirectX provider names.
std::string Comparable(const std::string& report)
{
    std::string kept;
    for (std::string line : ReportLines(WithoutMovingFigures(report))) {
        if (line.compare(0, 15, " szLanguagesLoc") == 0 || line.compare(0, 15, " szLanguagesEng") == 0)
            line = line.substr(0, line.find(':') + 1) + " *";
        kept += line + "\n";
    }
    return kept;
}

bool IsCp932Throughout(const std::string& text)
{
    const int length = static_cast<int>(text.size());
    return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0) > 0 &&
           NarrowText(WideText(text, 932), 932) == text;
}

// The program copied into a folder whose name has characters cp932 has
// (テスト, §) and one it lacks (ë); its own row in the process table shows
// what became of them.
const wchar_t* const FolderName = L"テスト§\u00EB";

struct TConfiguration {
    const char* Name;
    const char* Program;      // the variable that names it
    const char* ShownFolder;  // run from the folder, which its process row shows thus (cp932); or null
};

}  // namespace

TEST(CodePageEndToEndTest, ReportIsTheJapaneseSystemsOnAnyCodePage)
{
    ASSERT_EQ(1252u, GetACP()) << "the suite runs as a Western system";
    const std::string reference = ReadFile(NarrowText(BuildFile("ENVCHECK_REFERENCE"), CP_ACP));
    ASSERT_FALSE(reference.empty()) << "ENVCHECK_REFERENCE names the report written as a Japanese system";

    const TConfiguration configurations[] = {
        // Windows 11 honours the manifest's ja-JP: code page 932.
        {"envcheck.exe (code page 932 by its manifest)", "ENVCHECK_EXE", nullptr},
        // UTF-8: every character reaches the program; ë has no cp932 form.
        {"UTF-8 by its manifest", "ENVCHECK_EXE_UTF8", "テスト§?"},
        // 1252: the platform itself gives テスト as "???"; § and ë arrive.
        {"no code page in its manifest (1252)", "ENVCHECK_EXE_LEGACY", "???§?"},
    };
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::wstring folder = WideText(temp, CP_ACP) + L"envcheck_cp_" + std::to_wstring(GetCurrentProcessId()) +
                                L"_" + FolderName;
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const TConfiguration& configuration : configurations) {
        SCOPED_TRACE(configuration.Name);
        const std::wstring built = BuildFile(configuration.Program);
        ASSERT_FALSE(built.empty()) << configuration.Program << " names the program";
        std::wstring program = built;
        if (configuration.ShownFolder != nullptr) {
            program = folder + L"\\" + FileName(built);
            ASSERT_TRUE(CopyFileW(built.c_str(), program.c_str(), FALSE)) << GetLastError();
        }
        const std::string path = TempPath("codepage.txt");
        DeleteFileA(path.c_str());
        TEnvcheck run(L"/report \"" + WideText(path, CP_ACP) + L"\"", program);
        DWORD code = 0xdeadbeef;
        ASSERT_TRUE(run.WaitForExit(RunLimit, code));
        ASSERT_EQ(0u, code) << run.ErrorOutput();
        const std::string report = ReadFile(path);
        DeleteFileA(path.c_str());

        EXPECT_TRUE(IsCp932Throughout(report));
        EXPECT_EQ(Comparable(reference), Comparable(report));
        if (configuration.ShownFolder != nullptr) {
            const std::string row = std::string(configuration.ShownFolder) + "\\" + NarrowText(FileName(built), 932);
            EXPECT_NE(std::string::npos, report.find(row)) << "no process row ends in " << row;
            DeleteFileW(program.c_str());
        }
    }
    RemoveDirectoryW(folder.c_str());
}
