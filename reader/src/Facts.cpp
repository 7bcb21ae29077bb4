#include "Facts.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>

#include "Cp932.h"
#include "Text.h"

namespace reader {

namespace {

// Items of a section, or a run of them: read in place, never copied.
struct Block {
    const Item* First = nullptr;
    const Item* Last = nullptr;
    Block() = default;
    Block(const Item* first, const Item* last) : First(first), Last(last) {}
    Block(const Section* section)
    {
        if (section != nullptr && !section->Items.empty())
            *this = {section->Items.data(), section->Items.data() + section->Items.size()};
    }
    const Item* begin() const { return First; }
    const Item* end() const { return Last; }
};

const Item* FieldOf(Block block, const char* name)
{
    for (const Item& item : block)
        if (item.Type == Item::Field && item.Name == name) return &item;
    return nullptr;
}

std::string Text(Block block, const char* name)
{
    const Item* item = FieldOf(block, name);
    return item != nullptr ? Utf8(item->Value) : std::string();
}

// Where the numbers a report cannot have go, with their lines where known: FactsOf makes them problems.
thread_local std::vector<Problem>* OutOfRange = nullptr;

// A number no report writes (beyond what any count, size or id can be) is
// unknown, never arithmetic: the largest is a drive's bytes.
constexpr long long MaxNumber = 1LL << 62;

long long Number(const std::string& text, int base = 10, bool* outOfRange = nullptr)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return -1;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, base);
    if (end == nullptr || *end != '\0' || end == text.c_str()) return -1;
    if (errno == ERANGE || value > MaxNumber) {
        if (outOfRange != nullptr)
            *outOfRange = true;
        else if (OutOfRange != nullptr)
            OutOfRange->push_back({0, "a number is out of range: " + text.substr(0, 40)});
        return -1;
    }
    return value;
}

long long Number(Block block, const char* name, int base = 10)
{
    const Item* item = FieldOf(block, name);
    if (item == nullptr) return -1;
    bool out = false;
    const long long value = Number(Utf8(item->Value), base, &out);
    if (out && OutOfRange != nullptr)
        OutOfRange->push_back({item->Line, "the number of '" + item->Name + "' is out of range: " + item->Value.substr(0, 40)});
    return value;
}

// The fields of a section cut into blocks, each starting at a field of the given name.
template <typename Each>
void Blocks(const Section* section, const std::string& first, Each each)
{
    const Block all(section);
    const Item* start = nullptr;
    for (const Item& item : all) {
        if (item.Type == Item::Field && StartsWith(item.Name, first)) {
            if (start != nullptr) each(Block(start, &item));
            start = &item;
        }
    }
    if (start != nullptr) each(Block(start, all.end()));
}

const Table* TableAt(const Section* section, size_t n)
{
    if (section == nullptr) return nullptr;
    for (const Item& item : section->Items)
        if (item.Type == Item::Grid && n-- == 0) return item.Cells.get();
    return nullptr;
}

std::string CellText(const std::vector<Cell>& row, size_t n) { return n < row.size() ? Utf8(row[n].Text) : ""; }

// The first of the names that the text begins with, as whole words; the text
// is left with what follows it.
template <size_t Count>
std::string TakeWords(std::string& text, const char* const (&names)[Count])
{
    for (const std::string_view name : names) {
        if (StartsWith(text, name) && (text.size() == name.size() || text[name.size()] == ' ')) {
            text.erase(0, std::min(text.size(), name.size() + 1));
            return std::string(name);
        }
    }
    return "";
}

void ReadOsRow(const std::string& row, Facts& facts)
{
    facts.OsRow = row;
    while (!facts.OsRow.empty() && facts.OsRow.back() == ' ') facts.OsRow.pop_back();
    static const char* const Products[] = {
        "Microsoft Windows Server&nbsp;2003 family,", "Microsoft Windows Millennium Edition", "Microsoft Windows Vista",
        "Microsoft Windows 2000", "Microsoft Windows 8.1", "Microsoft Windows 10", "Microsoft Windows 11",
        "Microsoft Windows 95", "Microsoft Windows 98", "Microsoft Windows XP", "Microsoft Windows NT",
        "Microsoft Windows 7", "Microsoft Windows 8", "Microsoft Win32s"};
    static const char* const Editions[] = {
        "Server 4.0, Enterprise Edition", "Datacenter Edition", "Enterprise Edition", "Standard Edition", "Web Edition",
        "Home Edition", "Professional", "Workstation 4.0", "Datacenter Server", "Advanced Server", "Server 4.0",
        "Workstation", "Server", "OSR2", "SE"};
    std::string rest = facts.OsRow;
    facts.OsProduct = TakeWords(rest, Products);
    facts.OsEdition = TakeWords(rest, Editions);
    // An NT without the extended record names its version after the edition.
    if (rest.size() >= 4 && rest[1] == '.' && rest[3] == ' ' && std::isdigit(static_cast<unsigned char>(rest[0])))
        rest = rest.substr(4);
    const size_t build = rest.rfind("(Build ");
    if (build == std::string::npos) return;
    facts.OsBuild = Number(rest.substr(build + 7, rest.size() - build - 8));
    facts.OsServicePack = rest.substr(0, build);
    while (!facts.OsServicePack.empty() && facts.OsServicePack.back() == ' ') facts.OsServicePack.pop_back();
}

void ReadCurrent(const Section* section, Facts& facts)
{
    facts.Windows = Text(section, "Windows");
    facts.WindowsVersion = Text(section, "Version");
    facts.WindowsBuild = Text(section, "Build");
    facts.WindowsArchitecture = Text(section, "Windows architecture");
    facts.RunsAs = Text(section, "envcheck runs as");
    facts.Power = Text(section, "Power");
    Blocks(section, "Graphics adapter ", [&](const Block& block) {
        Facts::GraphicsAdapter adapter;
        const Item& head = *block.First;
        adapter.Index = Number(Utf8(head.Name.substr(17)));
        adapter.Description = Utf8(head.Value);
        const std::string software = " (software)";
        if (adapter.Description.size() > software.size() &&
            adapter.Description.compare(adapter.Description.size() - software.size(), software.size(), software) == 0) {
            adapter.Software = true;
            adapter.Description.resize(adapter.Description.size() - software.size());
        }
        // " VendorId: 0x10DE  DeviceId: 0x06CD  SubSysId: ...": one line of four.
        const std::string ids = Text(block, "VendorId");
        adapter.VendorId = ids.substr(0, ids.find(' '));
        const size_t device = ids.find("DeviceId: ");
        if (device != std::string::npos) adapter.DeviceId = ids.substr(device + 10, ids.find(' ', device + 10) - device - 10);
        adapter.DedicatedVideo = Text(block, "Dedicated video memory");
        adapter.DriverVersion = Text(block, "Driver version");
        for (const Item& item : block)
            if (item.Type == Item::Field && item.Name == "Display") adapter.Displays.push_back(Utf8(item.Value));
        facts.Adapters.push_back(adapter);
    });
}

// The report writes Direct3D 9's ids in decimal; the other sections as 0x10DE.
std::string HexId(long long id)
{
    if (id < 0 || id > 0xFFFF) return "";
    char text[8];
    std::snprintf(text, sizeof(text), "0x%04llX", id);
    return text;
}

// DirectX writes "0x10de": as the other sections write it, to compare.
std::string UpperHex(std::string id)
{
    for (size_t n = StartsWith(id, "0x") ? 2 : id.size(); n < id.size(); ++n)
        id[n] = static_cast<char>(std::toupper(static_cast<unsigned char>(id[n])));
    return id;
}

}  // namespace

bool Facts::Has(const std::string& section) const
{
    return std::find(Sections.begin(), Sections.end(), section) != Sections.end();
}

std::string IsoDate(const std::string& english)
{
    unsigned month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    char text[64];
    if (std::sscanf(english.c_str(), "%u/%u/%u%*[, ]%u:%u:%u", &month, &day, &year, &hour, &minute, &second) < 3)
        return "";
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1980 || year > 9999 || hour > 23 || minute > 59 ||
        second > 60)
        return "";
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", year, month, day, hour, minute, second);
    return text;
}

long long TrueFamily(long long family, long long extended)
{
    // CPUID's family is four bits and its extension eight, shifted by four.
    if (family < 0 || family > 0xF || extended > 0xFF0) return -1;
    return family + (extended > 0 ? extended / 16 : 0);
}

Facts FactsOf(const Report& report)
{
    Facts facts;
    OutOfRange = &facts.Problems;
    struct TDone {
        ~TDone() { OutOfRange = nullptr; }
    } done;
    const Section* hardware = report.Find("hardware");
    facts.CpuName = Text(hardware, "ProcessorName");
    facts.CpuId = Text(hardware, "ID");
    facts.Clock = Number(Text(hardware, "Clock").substr(0, Text(hardware, "Clock").find(' ')));
    facts.Processors = Number(hardware, "Number of processors");
    facts.Vendor = Text(hardware, "Vendor name");
    facts.Family = Number(hardware, "Family");
    facts.ExtendedFamily = Number(hardware, "Extended Family");
    facts.TrueFamily = TrueFamily(facts.Family, facts.ExtendedFamily);
    if (facts.TrueFamily < 0 && facts.Family >= 0)
        facts.Problems.push_back({FieldOf(hardware, "Family")->Line, "the family is out of range: " +
                                      std::to_string(facts.Family) + " + " + std::to_string(facts.ExtendedFamily)});
    facts.Stepping = Number(hardware, "Stepping");
    // Two fields are named Model: the name, then the number.
    if (hardware != nullptr)
        for (const Item& item : hardware->Items)
            if (item.Type == Item::Field && item.Name == "Model" && Number(Utf8(item.Value)) >= 0)
                facts.Model = Number(Utf8(item.Value));
    const Section* memory = report.Find("memory");
    facts.MemoryTotal = Number(memory, "物理メモリ合計");
    facts.MemoryFree = Number(memory, "物理メモリ空き");
    if (const Section* os = report.Find("os"))
        for (const Item& item : os->Items)
            if (item.Type == Item::Text) ReadOsRow(Utf8(item.Value), facts);
    const Section* names = report.Find("names");
    facts.Computer = Text(names, "Computer name");
    facts.User = Text(names, "User name");
    facts.SystemDirectory = Text(names, "System directory");
    facts.WindowsDirectory = Text(names, "Windows directory");

    facts.DirectXFailed = report.Find("directx") != nullptr;
    const Section* d3d9 = report.Find("d3d9");
    facts.D3d9Description = Text(d3d9, "Description");
    facts.D3d9DriverVersion = Text(d3d9, "Driver Version");
    facts.D3d9Whql = Text(d3d9, "Windows Hardware Quality Labs(WHQL)妥当性レベル");
    facts.D3d9VendorId = HexId(Number(d3d9, "VendorId"));
    facts.D3d9DeviceId = HexId(Number(d3d9, "DeviceId"));
    Blocks(report.Find("dx_sound"), "dwDevnode", [&](const Block& block) {
        facts.SoundDevices.push_back({Text(block, "szDescription"), Text(block, "szDriverVersion"),
                                      IsoDate(Text(block, "szDriverDateEnglish")).substr(0, 10),
                                      Text(block, "bDefaultSoundPlayback") == "true"});
    });
    const Section* system = report.Find("dx_system");
    facts.ReportDate = IsoDate(Text(system, "szTimeEnglish"));
    facts.DirectX = Text(system, "szDirectXVersionEnglish");
    facts.OsMajor = Number(system, "dwOSMajorVersion");
    Blocks(report.Find("dx_display"), "szDeviceName", [&](const Block& block) {
        Facts::Display display;
        display.Device = Text(block, "szDeviceName");
        display.Description = Text(block, "szDescription");
        display.Manufacturer = Text(block, "szManufacturer");
        display.VendorId = UpperHex(Text(block, "szVendorId"));
        display.DeviceId = UpperHex(Text(block, "szDeviceId"));
        display.DriverVersion = Text(block, "szDriverVersion");
        display.DriverDate = IsoDate(Text(block, "szDriverDateEnglish")).substr(0, 10);
        display.Mode = Text(block, "szDisplayModeEnglish");
        display.Width = Number(block, "dwWidth");
        display.Height = Number(block, "dwHeight");
        display.Refresh = Number(block, "dwRefreshRate");
        facts.Displays.push_back(display);
    });
    // A row kept as written (it fits no column) is a problem of the report, not a record.
    auto rows = [](const Table& table, auto each) {
        for (size_t n = 0; n < table.Rows.size(); ++n)
            if (table.Raw.count(n) == 0) each(table.Rows[n]);
    };
    if (const Table* table = TableAt(report.Find("processes"), 0))
        rows(*table, [&](const auto& row) { facts.Processes.push_back({Number(CellText(row, 0)), CellText(row, 1), CellText(row, 2)}); });
    for (size_t n = 0; n < 2; ++n)
        if (const Table* table = TableAt(report.Find("services"), n))
            rows(*table, [&](const auto& row) {
                facts.Services.push_back({n == 0 ? "service" : "driver", CellText(row, 0), CellText(row, 1), CellText(row, 2)});
            });
    const Section* network = report.Find("network");
    facts.Host = Text(network, "Host Name");
    facts.Domain = Text(network, "Domain Name");
    if (network != nullptr)
        for (const Item& item : network->Items)
            if (item.Type == Item::Field && item.Name == "DNS Servers") facts.DnsServers.push_back(Utf8(item.Value));
    Blocks(network, "AdapterName", [&](const Block& block) {
        Facts::NetworkAdapter adapter{Text(block, "AdapterName"), Text(block, "Description"),
                                      Text(block, "Physical Address"), Text(block, "IP Address"),
                                      Text(block, "Subnet Mask"), Text(block, "Default Gateway"), false};
        for (const Item& item : block) adapter.Dhcp = adapter.Dhcp || item.Value == "adapter enabled DHCP.";
        facts.NetworkAdapters.push_back(adapter);
    });
    Blocks(report.Find("drives"), "Drive", [&](const Block& block) {
        facts.Drives.push_back({Text(block, "Drive"), Text(block, "VolumeName"), Text(block, "FileSystem"),
                                Text(block, "nDriveType"), Number(block, "TotalBytes"), Number(block, "FreeBytes")});
    });
    ReadCurrent(report.Find("current"), facts);
    for (const Section& section : report.Sections) {
        facts.Sections.push_back(section.Id);
        if (section.Failed) facts.Failures.push_back({section.Id, Utf8(section.Failure)});
    }
    const Section* services = report.Find("services");
    facts.ServicesSkipped = services != nullptr && services->Failed &&
                            services->Failure == "NT系OSではないので処理をスキップします。";
    // What every report since 2012 has; DirectX counts as there when it failed in place.
    for (const char* id : {"hardware", "memory", "os", "environment", "d3d9", "dx_system", "dx_display",
                           "processes", "services", "network", "drives"}) {
        const bool failed = (std::string_view(id) == "d3d9" || StartsWith(id, "dx_")) && facts.DirectXFailed;
        if (!facts.Has(id) && !failed) facts.Missing.push_back(id);
    }
    return facts;
}

}  // namespace reader
