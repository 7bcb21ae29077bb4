#include "info/directx/DirectXInfo.h"

namespace {

const char* const Rule = "+---+------------------------------------------+------------------+------------+------------+"
                         "---------------------+------------+\n";
const char* const Header = "|   | ファイル名                               | バージョン       | 属性       | 言語       "
                           "|                日付 |     サイズ |\n";
const char* const Row = "| %s | %-40s | %-16s | %-10s | %-10s | %-10s | %10s |\n";

}  // namespace

DxListRecord<DxFileRecord> TDirectXInfo::ReadFiles()
{
    DxListRecord<DxFileRecord> files;
    files.Complete = WalkList(L"DxDiag_DirectXFiles", files.Opened, [&](IDxDiagContainer* container) {
        DxFileRecord file;
        file.Debug = ReadFlag(container, L"bDebug");
        file.Beta = ReadFlag(container, L"bBeta");
        file.Size = ReadText(container, L"lNumBytes", VT_I4);
        file.Date = ReadText(container, L"szDatestampLocalized", VT_BSTR);
        file.Language = ReadText(container, L"szLanguageEnglish", VT_BSTR);
        file.Version = ReadText(container, L"szVersion", VT_BSTR);
        file.Name = ReadText(container, L"szName", VT_BSTR);
        files.Items.push_back(std::move(file));
    });
    return files;
}

void WriteFilesSection(const DxListRecord<DxFileRecord>& files, TSection& section)
{
    section.AddLine(boost::format("DxDialog DirectX File Infomation:\n"));
    if (!files.Opened) return;
    section.AddLine(boost::format(Rule));
    section.AddLine(boost::format(Header));
    section.AddLine(boost::format(Rule));
    for (const DxFileRecord& file : files.Items) {
        const char* kind = file.Debug ? "デバッグ" : file.Beta ? "ベータ" : "製品";
        section.AddLine(boost::format(Row) % (file.Debug ? "!" : " ") % file.Name % file.Version % kind %
                        file.Language % file.Date % file.Size);
    }
    if (!files.Complete) return;
    section.AddLine(boost::format(Rule));
    section.AddLine(boost::format("\n"));
}
