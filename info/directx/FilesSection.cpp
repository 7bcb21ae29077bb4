#include "info/ComRef.h"
#include "info/directx/DirectXInfo.h"

namespace {

const DWORD ChildNameSize = 256;

const char* const Rule = "+---+------------------------------------------+------------------+------------+------------+"
                         "---------------------+------------+\n";
const char* const Header = "|   | ファイル名                               | バージョン       | 属性       | 言語       "
                           "|                日付 |     サイズ |\n";
const char* const Row = "| %s | %-40s | %-16s | %-10s | %-10s | %-10s | %10s |\n";

const char* BuildKind(const std::string& debug, const std::string& beta)
{
    if (debug == "true") return "デバッグ";
    if (beta == "true") return "ベータ";
    return "製品";
}

}  // namespace

bool TDirectXInfo::WriteDirectXFiles()
{
    AddLine(boost::format("DxDialog DirectX File Infomation:\n"));
    TComRef<IDxDiagContainer> files;
    if (FAILED(Root->GetChildContainer(L"DxDiag_DirectXFiles", files.Receive())) || files.Get() == nullptr)
        return false;
    DWORD fileCount = 0;
    if (FAILED(files->GetNumberOfChildContainers(&fileCount))) return false;

    AddLine(boost::format(Rule));
    AddLine(boost::format(Header));
    AddLine(boost::format(Rule));
    std::string debug, beta, size, date, language, version, name;
    for (DWORD index = 0; index < fileCount; ++index) {
        WCHAR childName[ChildNameSize] = {};
        if (FAILED(files->EnumChildContainerNames(index, childName, ChildNameSize))) return false;
        childName[ChildNameSize - 1] = L'\0';
        TComRef<IDxDiagContainer> file;
        if (FAILED(files->GetChildContainer(childName, file.Receive())) || file.Get() == nullptr) return false;
        GetPropText<VT_BOOL>(file.Get(), L"bDebug", debug);
        GetPropText<VT_BOOL>(file.Get(), L"bBeta", beta);
        GetPropText<VT_I4>(file.Get(), L"lNumBytes", size);
        GetPropText<VT_BSTR>(file.Get(), L"szDatestampLocalized", date);
        GetPropText<VT_BSTR>(file.Get(), L"szLanguageEnglish", language);
        GetPropText<VT_BSTR>(file.Get(), L"szVersion", version);
        GetPropText<VT_BSTR>(file.Get(), L"szName", name);
        const char* mark = debug == "true" ? "!" : " ";
        AddLine(boost::format(Row) % mark % name % version % BuildKind(debug, beta) % language % date % size);
    }
    files.Reset();
    AddLine(boost::format(Rule));
    AddLine(boost::format("\n"));
    return true;
}
