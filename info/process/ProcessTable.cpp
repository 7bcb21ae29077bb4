#include "info/process/ProcessInfo.h"

void TProcessInfo::AddRepeated(const char* piece, int times)
{
    for (int i = 0; i < times; ++i) AddLine(boost::format(piece));
}

void TProcessInfo::PrintTable()
{
    if (ImageWidth < 12) ImageWidth = 12;
    if (PathWidth < 8) PathWidth = 8;
    PrintRule();
    PrintHeader();
    PrintRule();
    for (const ProcessEntry& entry : Entries) PrintRow(entry);
    PrintRule();
}

void TProcessInfo::PrintRule()
{
    AddLine(boost::format("+"));
    AddRepeated("-", IdWidth + 2);
    AddLine(boost::format("+"));
    AddRepeated("-", ImageWidth + 2);
    AddLine(boost::format("+"));
    AddRepeated("-", PathWidth + 2);
    AddLine(boost::format("+\n"));
}

void TProcessInfo::PrintHeader()
{
    AddLine(boost::format("|"));
    AddLine(boost::format(" PID "));
    AddRepeated(" ", IdWidth - 3);
    AddLine(boost::format("|"));
    AddLine(boost::format(" イメージ名 "));
    AddRepeated(" ", ImageWidth - 10);
    AddLine(boost::format("|"));
    AddLine(boost::format(" 項目名 "));
    AddRepeated(" ", PathWidth - 6);
    AddLine(boost::format("|\n"));
}

void TProcessInfo::PrintRow(const ProcessEntry& entry)
{
    const std::string id = (boost::format("%u") % entry.Id).str();
    AddLine(boost::format("|"));
    AddRepeated(" ", IdWidth - static_cast<int>(id.size()) + 1);
    AddLine(boost::format("%u ") % entry.Id);
    AddLine(boost::format("|"));
    AddLine(boost::format(" %s ") % entry.ImageName);
    AddRepeated(" ", ImageWidth - static_cast<int>(entry.ImageName.size()));
    AddLine(boost::format("|"));
    AddLine(boost::format(" %s ") % entry.Path);
    AddRepeated(" ", PathWidth - static_cast<int>(entry.Path.size()));
    AddLine(boost::format("|\n"));
}
