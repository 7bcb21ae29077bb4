#include "Facts.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <initializer_list>
#include <iterator>

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
void Blocks(const Block all, const std::string& first, Each each)
{
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

// Steps over a line's text: each takes what it names, or nothing.
struct TCursor {
    std::string_view Rest;
    bool Take(std::string_view text)
    {
        if (!StartsWith(Rest, text)) return false;
        Rest.remove_prefix(text.size());
        return true;
    }
    // ", NAME" as a whole piece: the line ends or the next piece starts after it.
    bool Piece(std::string_view name)
    {
        const std::string_view rest = Rest.substr(std::min(Rest.size(), name.size() + 2));
        if (Rest.size() < name.size() + 2 || Rest.substr(0, 2) != ", " || Rest.substr(2, name.size()) != name ||
            !(rest.empty() || StartsWith(rest, ", ")))
            return false;
        Rest = rest;
        return true;
    }
    // Digits, at most nine (no count or rate has more); -1 when there are none.
    long long Number()
    {
        size_t n = 0;
        while (n < Rest.size() && n < 9 && std::isdigit(static_cast<unsigned char>(Rest[n]))) ++n;
        if (n == 0) return -1;
        const long long value = std::atoll(std::string(Rest.substr(0, n)).c_str());
        Rest.remove_prefix(n);
        return value;
    }
};

// The line as written, for a problem's message (in the report's code page, as the parser's):
// at most 80 bytes, of whole characters.
std::string Written(const Item& item)
{
    const std::string line = item.Name + item.Separator + item.Value;
    size_t end = 0;
    for (size_t width; end < line.size() && end + (width = std::max<size_t>(1, Cp932CharLength(line, end))) <= 80;)
        end += width;
    return line.substr(0, end);
}

// " Preference: high performance, minimum power": either or both.
bool ReadPreference(const std::string& value, Facts::GraphicsAdapter& adapter)
{
    adapter.HighPerformance = value == "high performance" || value == "high performance, minimum power";
    adapter.MinimumPower = value == "minimum power" || value == "high performance, minimum power";
    return adapter.HasPreference();
}

// " Direct3D: feature level 12_1, Direct3D 12 shader model 6.7": the level may be
// unknown, Direct3D 12 and its shader model may be missing.
bool ReadDirect3D(const std::string& value, Facts::GraphicsAdapter& adapter)
{
    TCursor line{value};
    std::string_view level, model;
    long long number = -1;
    if (!line.Take("feature level ")) return false;
    if (!line.Take("unknown")) {
        level = line.Rest;
        const long long major = line.Number();
        const long long minor = major >= 0 && major < 100 && line.Take("_") ? line.Number() : -1;
        if (minor < 0 || minor >= 100) return false;
        level.remove_suffix(line.Rest.size());
        number = major * 100 + minor;
    }
    const bool direct3D12 = line.Take(", Direct3D 12");
    if (direct3D12 && line.Take(" shader model ")) {
        model = line.Rest;
        if (line.Number() < 0 || !line.Take(".") || line.Number() < 0) return false;
        model.remove_suffix(line.Rest.size());
    }
    if (!line.Rest.empty()) return false;
    adapter.HasDirect3D = true;
    adapter.Direct3D12 = direct3D12;
    adapter.FeatureLevel = level;
    adapter.ShaderModel = model;
    adapter.Level = number;
    return true;
}

// " Display: \\.\DISPLAY1 1920 x 1080 60 Hz (panel up to 144 Hz), scale 125%, primary, HDR off,
// internal, "Sharp LQ156"": every piece after the name but the scale may be missing.
bool ReadOutput(const std::string& value, Facts::Output& out)
{
    Facts::Output read;
    TCursor line{value};
    read.Device = value.substr(0, value.find_first_of(" ,"));
    line.Rest.remove_prefix(read.Device.size());
    if (line.Take(" ")) {
        read.Width = line.Number();
        read.Height = read.Width >= 0 && line.Take(" x ") ? line.Number() : -1;
        if (read.Height < 0) return false;
        if (line.Take(" ")) {
            read.Refresh = line.Number();
            if (read.Refresh < 0 || !line.Take(" Hz")) return false;
            if (line.Take(" (panel up to ")) {
                read.Panel = line.Number();
                if (read.Panel < 0 || !line.Take(" Hz)")) return false;
            }
        }
    }
    if (!line.Take(", scale ")) return false;
    if (!line.Take("unknown")) {
        read.Scale = line.Number();
        if (read.Scale < 0 || !line.Take("%")) return false;
    }
    read.Primary = line.Piece("primary");
    read.Hdr = line.Piece("HDR on") ? "on" : line.Piece("HDR off") ? "off" : "";
    static const char* const Connections[] = {"VGA", "S-Video", "composite", "component", "DVI", "HDMI", "internal",
                                              "D-terminal", "SDI", "DisplayPort", "UDI", "SDTV dongle", "Miracast",
                                              "indirect wired", "indirect virtual", "other"};
    for (const char* connection : Connections)
        if (read.Connection.empty() && line.Piece(connection)) read.Connection = connection;
    // The monitor's name is last and may hold commas and quotes of its own.
    if (line.Take(", \"")) {
        if (line.Rest.empty() || line.Rest.back() != '"') return false;
        read.Monitor = line.Rest.substr(0, line.Rest.size() - 1);
        line.Rest = {};
    }
    if (!line.Rest.empty()) return false;
    out = read;
    return true;
}

// " NAME: driver VERSION of YYYY-MM-DD, problem 43 (MEANING) (no vendor driver)"; the
// name may hold ": " itself, so the last ": driver " is the one. Empty when it reads;
// otherwise what is wrong.
std::string ReadDevice(const std::string& text, Facts::DisplayDevice& device)
{
    const size_t at = text.rfind(": driver ");
    if (at == std::string::npos) return "a display device's line has no ': driver '";
    device.Name = text.substr(0, at);
    std::string rest = text.substr(at + 9);
    const std::string basic = " (no vendor driver)";
    device.BasicDriver = rest.size() > basic.size() && rest.compare(rest.size() - basic.size(), basic.size(), basic) == 0;
    if (device.BasicDriver) rest.resize(rest.size() - basic.size());
    const size_t comma = rest.find(", ");
    const std::string driver = rest.substr(0, comma);
    const size_t of = driver.find(" of ");
    const std::string version = driver.substr(0, of), date = of == std::string::npos ? "" : driver.substr(of + 4);
    const bool day = date.size() == 10 && date[4] == '-' && date[7] == '-' &&
                     std::all_of(date.begin(), date.end(), [](char c) { return c == '-' || std::isdigit(static_cast<unsigned char>(c)); });
    if (comma == std::string::npos || version.empty() || (of != std::string::npos && !day))
        return "a display device's driver is not written as envcheck writes it";
    device.DriverVersion = version == "unknown" ? "" : version;
    device.DriverDate = date;
    const std::string state = rest.substr(comma + 2);
    if (state == "working" || state == "unknown" || state == "disabled") {
        device.State = state;
        device.Problem = state == "disabled" ? 22 : -1;
        return "";
    }
    if (!StartsWith(state, "problem ")) return "a display device's state is not one envcheck writes";
    const size_t meaning = state.find(" (");
    const std::string code = state.substr(8, meaning == std::string::npos ? std::string::npos : meaning - 8);
    if (meaning != std::string::npos && state.back() != ')') return "a display device's state is not one envcheck writes";
    bool out = false;
    device.Problem = Number(code, 10, &out);
    // Windows keeps the code in 32 bits.
    if (out || device.Problem > 0xFFFFFFFFLL) return "the problem code of a display device is out of range";
    if (device.Problem < 0) return "a display device's state is not one envcheck writes";
    device.Meaning = meaning == std::string::npos ? "" : state.substr(meaning + 2, state.size() - meaning - 3);
    // Windows' code for a device that is disabled, however it is written.
    device.State = device.Problem == 22 ? "disabled" : "problem";
    return "";
}

// A list's heading ("Display devices:"), or the block's end.
const Item* ListAt(Block block, const char* name)
{
    const Item* at = block.begin();
    while (at != block.end() && !(at->Type == Item::Field && at->Indent.empty() && at->Name == name && at->Value.empty())) ++at;
    return at;
}

// The lines of a list under its heading: indented, up to a blank line or the next heading.
template <typename Each>
void ListLines(const Item* heading, const Item* end, Each each)
{
    for (const Item* item = heading + 1; item != end && item->Type != Item::Blank && !item->Indent.empty(); ++item)
        if (item->Type == Item::Field) each(*item);
}

// One of the values a line can have, or false.
bool OneOf(const std::string& value, std::initializer_list<const char*> values, std::string& out)
{
    for (const char* known : values)
        if (value == known) {
            out = value;
            return true;
        }
    return false;
}

// Words of a fixed set, each at most once, blank-separated: appended to out; false on any other.
template <size_t Count>
bool Words(std::string_view text, const char* const (&names)[Count], std::vector<std::string>& seen, std::vector<std::string>& out)
{
    for (size_t at = 0; at <= text.size();) {
        const std::string word(text.substr(at, text.find(' ', at) - at));
        if (std::find(std::begin(names), std::end(names), word) == std::end(names) ||
            std::find(seen.begin(), seen.end(), word) != seen.end())
            return false;
        seen.push_back(word);
        out.push_back(word);
        at += word.size() + 1;
    }
    return true;
}

// " Processor features: SSE3 SSSE3 SSE4.2 AVX (off in Windows)": names of a fixed set in
// its order; only those whose registers Windows must save can be off in it.
bool ReadFeatures(const std::string& value, Facts& facts)
{
    static const char* const Names[] = {"SSE3", "SSSE3", "SSE4.1", "SSE4.2", "POPCNT", "AVX", "AVX2", "FMA3", "AVX-512F"};
    const size_t firstSaved = 5;  // AVX
    const std::string_view off = " (off in Windows)";
    std::vector<Facts::Feature> features;
    std::string_view rest = value;
    for (size_t next = 0; value != "none" && value != "unknown";) {
        const std::string_view word = rest.substr(0, rest.find(' '));
        size_t n = next;
        while (n < std::size(Names) && word != Names[n]) ++n;
        if (n == std::size(Names)) return false;
        next = n + 1;
        rest.remove_prefix(word.size());
        features.push_back({std::string(word), StartsWith(rest, off)});
        if (features.back().OffInWindows) {
            if (n < firstSaved) return false;
            rest.remove_prefix(off.size());
        }
        if (rest.empty()) break;
        if (rest[0] != ' ') return false;
        rest.remove_prefix(1);
    }
    facts.ProcessorFeatures = value;
    facts.FeaturesKnown = value != "unknown";
    facts.Features = features;
    return true;
}

bool ReadFirmware(const std::string& value, Facts& facts)
{
    if (OneOf(value, {"BIOS", "unknown"}, facts.Firmware)) return true;
    if (!StartsWith(value, "UEFI, Secure Boot ") || !OneOf(value.substr(18), {"on", "off", "unknown"}, facts.SecureBoot))
        return false;
    facts.Firmware = "UEFI";
    return true;
}

// " Security software: NAME (on, up to date); NAME (off, out of date)": a product's name may
// hold anything (parentheses, "; "), so each is found from its end.
bool ReadSecurity(const std::string& value, Facts& facts)
{
    // The length of the " (on, up to date)" that ends the text at end, its words read into product; 0 where none does.
    auto tailAt = [&](size_t end, Facts::SecurityProduct& product) -> size_t {
        for (const char* state : {"on", "off", "snoozed", "expired"})
            for (const char* definitions : {"up to date", "out of date"}) {
                const std::string tail = std::string(" (") + state + ", " + definitions + ")";
                if (end < tail.size() || value.compare(end - tail.size(), tail.size(), tail) != 0) continue;
                product.State = state;
                product.Definitions = definitions;
                return tail.size();
            }
        return 0;
    };
    std::vector<Facts::SecurityProduct> products;
    for (size_t end = value == "none" ? 0 : value.size(); end > 0;) {
        Facts::SecurityProduct product, before;
        const size_t tail = tailAt(end, product);
        if (tail == 0) return false;
        const size_t nameEnd = end - tail;
        // The product before ends where "; " follows its state.
        size_t start = 0;
        for (size_t at = nameEnd; start == 0 && at >= 2;) {
            at = value.rfind("; ", at - 2);
            if (at == std::string::npos || at == 0) break;
            if (tailAt(at, before) != 0) start = at + 2;
        }
        if (start == nameEnd) return false;
        product.Name = value.substr(start, nameEnd - start);
        products.insert(products.begin(), product);
        end = start == 0 ? 0 : start - 2;
    }
    facts.SecuritySoftwareListed = true;
    facts.SecurityProducts = products;
    return true;
}

// " Visual C++ runtime: x86 14.40.33810, x64 missing": the x64 part only on 64-bit Windows.
bool ReadVcRuntime(const std::string& value, Facts& facts)
{
    auto version = [](const std::string& text) {
        return text == "missing" || text == "installed" ||
               (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0])) &&
                text.find_first_not_of("0123456789.") == std::string::npos);
    };
    if (!StartsWith(value, "x86 ")) return false;
    const size_t x64 = value.find(", x64 ");
    const std::string x86Version = value.substr(4, x64 == std::string::npos ? std::string::npos : x64 - 4);
    const std::string x64Version = x64 == std::string::npos ? "" : value.substr(x64 + 6);
    if (!version(x86Version) || (x64 != std::string::npos && !version(x64Version))) return false;
    facts.VcRuntimeX86 = x86Version;
    facts.VcRuntimeX64 = x64Version;
    return true;
}

// " DirectX 9 extras: d3dx9_43 xinput1_3 (missing: X3DAudio1_7)": the files there ("none"), then those missing.
bool ReadExtras(const std::string& value, Facts& facts)
{
    static const char* const Names[] = {"d3dx9_43",  "d3dx10_43", "d3dx11_43",   "d3dcompiler_43",
                                        "xinput1_3", "XAudio2_7", "X3DAudio1_7", "xactengine3_7"};
    const std::string open = " (missing: ";
    const size_t missing = value.find(open);
    const std::string present = value.substr(0, missing);
    std::vector<std::string> seen, there, absent;
    if (present == "none" ? missing == std::string::npos : !Words(present, Names, seen, there)) return false;
    if (missing != std::string::npos &&
        (!EndsWith(value, ")") ||
         !Words(std::string_view(value).substr(missing + open.size(), value.size() - missing - open.size() - 1), Names, seen, absent)))
        return false;
    facts.DirectX9ExtrasListed = true;
    facts.DirectX9Present = there;
    facts.DirectX9Missing = absent;
    return true;
}

// " Power plan: Balanced, battery saver off": the plan's name may be any text; battery saver from Windows 10.
bool ReadPowerPlan(const std::string& value, Facts& facts)
{
    std::string name = value, saver;
    for (const char* state : {"on", "off"})
        if (EndsWith(value, std::string(", battery saver ") + state)) {
            saver = state;
            name.resize(value.size() - 16 - saver.size());
        }
    if (name.empty()) return false;
    facts.PowerPlan = name;
    facts.BatterySaver = saver;
    return true;
}

// The Windows block's newer lines, each read where the report has it.
const struct {
    const char* Name;
    bool (*Read)(const std::string& value, Facts& facts);
} WindowsLines[] = {
    {"Processor features", ReadFeatures},
    {"Firmware", ReadFirmware},
    {"TPM", [](const std::string& v, Facts& f) { return OneOf(v, {"2.0", "1.2", "none", "unknown"}, f.Tpm); }},
    {"Memory integrity", [](const std::string& v, Facts& f) { return OneOf(v, {"on", "off", "unknown"}, f.MemoryIntegrity); }},
    {"Test signing", [](const std::string& v, Facts& f) { return OneOf(v, {"on", "off", "unknown"}, f.TestSigning); }},
    {"Security software", ReadSecurity},
    {"Visual C++ runtime", ReadVcRuntime},
    {".NET Framework",
     [](const std::string& v, Facts& f) {
         return OneOf(v, {"4.5", "4.5.1", "4.5.2", "4.6", "4.6.1", "4.6.2", "4.7", "4.7.1", "4.7.2", "4.8", "4.8.1", "4.0", "missing"},
                      f.DotNet);
     }},
    {"DirectX 9 extras", ReadExtras},
    {"Power plan", ReadPowerPlan},
};

// "2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll 31.0.15.3623, exception 0xc0000005,
// offset 0x0012ab34": the names may hold blanks, so the fields are found from the line's end;
// Windows XP writes no exception.
bool ReadCrash(const std::string& text, Facts::Crash& crash)
{
    const char shape[] = "0000-00-00 00:00:00 ";
    for (size_t n = 0; n + 1 < sizeof(shape); ++n)
        if (n >= text.size() || (shape[n] == '0' ? !std::isdigit(static_cast<unsigned char>(text[n])) : text[n] != shape[n]))
            return false;
    std::string rest = text.substr(sizeof(shape) - 1);
    // ", offset 0x0012ab34" at the end of what is left: its number, taken off.
    auto hex = [&](const std::string& label, std::string& out) {
        const size_t at = rest.rfind(label);
        const size_t digits = at == std::string::npos ? 0 : rest.size() - at - label.size();
        if (digits == 0 || digits > 16 || !std::all_of(rest.begin() + at + label.size(), rest.end(),
                                                      [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return false;
        out = rest.substr(at + label.size() - 2);
        rest.resize(at);
        return true;
    };
    // "NAME VERSION": the version is the last word.
    auto named = [](const std::string& part, std::string& name, std::string& version) {
        const size_t space = part.rfind(' ');
        if (space == std::string::npos || space == 0) return false;
        name = part.substr(0, space);
        version = part.substr(space + 1);
        return true;
    };
    Facts::Crash read;
    if (!hex(", offset 0x", read.Offset)) return false;
    hex(", exception 0x", read.Exception);
    const size_t module = rest.rfind(", module ");
    if (module == std::string::npos || !named(rest.substr(0, module), read.Program, read.ProgramVersion) ||
        !named(rest.substr(module + 9), read.Module, read.ModuleVersion))
        return false;
    read.Line = text;
    read.Time = text.substr(0, 19);
    crash = read;
    return true;
}

void ReadCurrent(const Section* section, Facts& facts)
{
    facts.Windows = Text(section, "Windows");
    facts.WindowsVersion = Text(section, "Version");
    facts.WindowsBuild = Text(section, "Build");
    facts.WindowsArchitecture = Text(section, "Windows architecture");
    facts.RunsAs = Text(section, "envcheck runs as");
    facts.Power = Text(section, "Power");
    // The adapters are followed by the display devices' list, then the crashes': a line of a list is none of theirs.
    const Block all(section);
    const Item* crashes = ListAt(all, "Recent program crashes (30 days)");
    const Item* devices = ListAt(Block(all.begin(), crashes), "Display devices");
    const Item* firstAdapter = all.begin();
    while (firstAdapter != devices && !(firstAdapter->Type == Item::Field && StartsWith(firstAdapter->Name, "Graphics adapter ")))
        ++firstAdapter;
    const Block windows(all.begin(), firstAdapter);
    if (const Item* remote = FieldOf(windows, "Remote session")) {
        facts.RemoteSession = remote->Value == "yes";
        if (!facts.RemoteSession) facts.Problems.push_back({remote->Line, "a remote session line envcheck does not write: " + Written(*remote)});
    }
    for (const auto& line : WindowsLines)
        if (const Item* item = FieldOf(windows, line.Name))
            if (!line.Read(Utf8(item->Value), facts))
                facts.Problems.push_back({item->Line, "a line '" + item->Name + "' envcheck does not write: " + Written(*item)});
    Blocks(Block(all.begin(), devices), "Graphics adapter ", [&](const Block& block) {
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
        if (const Item* preference = FieldOf(block, "Preference"))
            if (!ReadPreference(Utf8(preference->Value), adapter))
                facts.Problems.push_back({preference->Line, "a preference envcheck does not write: " + Written(*preference)});
        if (const Item* direct3D = FieldOf(block, "Direct3D"))
            if (!ReadDirect3D(Utf8(direct3D->Value), adapter))
                facts.Problems.push_back({direct3D->Line, "a Direct3D line envcheck does not write: " + Written(*direct3D)});
        for (const Item& item : block)
            if (item.Type == Item::Field && item.Name == "Display") {
                adapter.Displays.push_back(Utf8(item.Value));
                if (!ReadOutput(adapter.Displays.back(), adapter.Outputs.emplace_back()))
                    facts.Problems.push_back({item.Line, "a display line envcheck does not write: " + Written(item)});
            }
        facts.Adapters.push_back(adapter);
    });
    // A line without a name and value is the parser's problem already (or the crashes' " (none)").
    facts.DisplayDevicesListed = devices != crashes;
    if (facts.DisplayDevicesListed) ListLines(devices, all.end(), [&](const Item& item) {
        Facts::DisplayDevice device;
        const std::string wrong = ReadDevice(Utf8(item.Name + item.Separator + item.Value), device);
        if (wrong.empty())
            facts.DisplayDevices.push_back(device);
        else
            facts.Problems.push_back({item.Line, wrong + ": " + Written(item)});
    });
    facts.CrashesListed = crashes != all.end();
    if (facts.CrashesListed) ListLines(crashes, all.end(), [&](const Item& item) {
        if (!ReadCrash(Utf8(item.Name + item.Separator + item.Value), facts.Crashes.emplace_back())) {
            facts.Crashes.pop_back();
            facts.Problems.push_back({item.Line, "a crash line envcheck does not write: " + Written(item)});
        }
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
