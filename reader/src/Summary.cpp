#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "Cp932.h"
#include "Output.h"

namespace reader {

namespace {

std::string Gib(long long bytes)
{
    if (bytes < 0) return "?";
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f GiB", static_cast<double>(bytes) / (1024.0 * 1024 * 1024));
    return text;
}

// Memory of an old machine reads better in MB.
std::string Size(long long bytes)
{
    if (bytes < 0 || bytes >= 1024LL * 1024 * 1024) return Gib(bytes);
    return std::to_string(bytes / (1024 * 1024)) + " MB";
}

std::string Count(long long value) { return value < 0 ? "?" : std::to_string(value); }

std::string Or(const std::string& text, const char* otherwise = "?") { return text.empty() ? otherwise : text; }

const Facts::Display* MainDisplay(const Facts& f) { return f.Displays.empty() ? nullptr : &f.Displays.front(); }

std::string Driver(const std::string& version, const std::string& date)
{
    return Or(version) + (date.empty() ? "" : " of " + date);
}

// A display device's state as the report says it.
std::string StateOf(const Facts::DisplayDevice& d)
{
    if (d.State != "problem") return d.State;
    return "problem " + std::to_string(d.Problem) + (d.Meaning.empty() ? "" : " (" + d.Meaning + ")");
}

// An adapter's preference and Direct3D, where the report has them.
std::string Abilities(const Facts::GraphicsAdapter& a)
{
    std::string text;
    if (a.HighPerformance) text += ", high performance";
    if (a.MinimumPower) text += ", minimum power";
    if (a.HasDirect3D) text += ", feature level " + Or(a.FeatureLevel, "unknown");
    if (a.Direct3D12) text += ", Direct3D 12" + (a.ShaderModel.empty() ? "" : " shader model " + a.ShaderModel);
    return text;
}

// The pieces a report has, joined; empty where it has none.
std::string Joined(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const std::string& piece : pieces)
        if (!piece.empty()) text += (text.empty() ? "" : "; ") + piece;
    return text;
}

std::string Labelled(const char* label, const std::string& value) { return value.empty() ? "" : label + value; }

// The Windows block's newer lines, in the words the report uses.
std::string FirmwareOf(const Facts& f) { return f.Firmware + Labelled(", Secure Boot ", f.SecureBoot); }

std::string PlatformOf(const Facts& f)
{
    return Joined({FirmwareOf(f), Labelled("TPM ", f.Tpm), Labelled("memory integrity ", f.MemoryIntegrity),
                   Labelled("test signing ", f.TestSigning)});
}

std::string VcRuntimeOf(const Facts& f) { return Labelled("x86 ", f.VcRuntimeX86) + Labelled(", x64 ", f.VcRuntimeX64); }

std::string SecurityOf(const Facts& f)
{
    std::string text;
    for (const Facts::SecurityProduct& p : f.SecurityProducts)
        text += (text.empty() ? "" : "; ") + p.Name + " (" + p.State + ", " + p.Definitions + ")";
    return f.SecuritySoftwareListed && text.empty() ? "none" : text;
}

std::string ExtrasOf(const Facts& f)
{
    if (!f.DirectX9ExtrasListed) return "";
    std::string present, missing;
    for (const std::string& name : f.DirectX9Present) present += (present.empty() ? "" : " ") + name;
    for (const std::string& name : f.DirectX9Missing) missing += (missing.empty() ? "" : " ") + name;
    return (present.empty() ? "none" : present) + (missing.empty() ? "" : " (missing: " + missing + ")");
}

std::string RuntimesOf(const Facts& f)
{
    return Joined({Labelled("Visual C++ ", VcRuntimeOf(f)), Labelled(".NET Framework ", f.DotNet),
                   Labelled("DirectX 9 extras ", ExtrasOf(f))});
}

std::string PowerPlanOf(const Facts& f)
{
    return f.PowerPlan + Labelled(", battery saver ", f.BatterySaver);
}

std::string DriverOf(const Facts& f)
{
    if (const Facts::Display* display = MainDisplay(f))
        return Or(display->DriverVersion) + " of " + Or(display->DriverDate, "an unknown date");
    return Or(f.D3d9DriverVersion);
}

// What a person reads: a report's text may hold control characters (an ESC
// starts a terminal's commands, a CR or LF forges a line), C1's too (U+0080..U+009F).
// Lines are what the writer itself ends, so its own line ends stay when asked.
std::string Plain(const std::string& text, bool lines = false)
{
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const bool c1 = c == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) < 0xA0 &&
                        static_cast<unsigned char>(text[at + 1]) >= 0x80;
        if ((c < 0x20 && !(lines && c == '\n')) || c == 0x7F || c1) {
            char escaped[16];
            std::snprintf(escaped, sizeof(escaped), c1 ? "\\u%04X" : "\\x%02X", c1 ? text[++at] & 0xFF : c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The sections a collector writes, by the names support knows them by.
std::string SectionName(const std::string& id)
{
    static const std::map<std::string, std::string> names = {
        {"hardware", "hardware"}, {"memory", "memory"}, {"os", "OS row"}, {"names", "names"},
        {"environment", "environment"}, {"directx", "DirectX"}, {"d3d9", "Direct3D 9"},
        {"dx_system", "DirectX system"}, {"dx_sound", "sound devices"}, {"dx_display", "displays"},
        {"dx_files", "DirectX files"}, {"processes", "processes"}, {"services", "services"},
        {"network", "network"}, {"drives", "drives"}, {"current", "closing section"}};
    const auto name = names.find(id);
    return name != names.end() ? name->second : id;
}

std::string Listed(const Facts& f, const char* section, size_t count)
{
    if (std::string(section) == "services" && f.ServicesSkipped) return "not asked (not an NT Windows)";
    for (const Facts::Failure& failure : f.Failures)
        if (failure.Section == section) return "not collected";
    if (!f.Has(section)) return "not in the file";
    return std::to_string(count);
}

}  // namespace

void WriteProblems(std::ostream& shown, const Loaded& loaded)
{
    std::ostringstream out;
    for (const Problem& p : loaded.Model.Problems) {
        out << loaded.Path;
        if (loaded.Parts > 1) out << "(report " << loaded.Part << ")";
        if (p.Line != 0) out << ":" << p.Line;
        out << ": " << Utf8(p.Message) << "\n";
    }
    shown << Plain(out.str(), true);
}

// Each line of the summary is one the writer makes: what it holds of the
// report or of a file's name is made plain as it is written out.
void WriteSummary(std::ostream& shown, const Loaded& loaded)
{
    std::ostringstream out;
    const Facts& f = loaded.Data;
    out << "== " << loaded.Path;
    if (loaded.Parts > 1) out << ", report " << loaded.Part << " of " << loaded.Parts;
    out << " (" << StatusName(loaded.Model.State) << ")\n";
    for (const std::string& note : loaded.Notes) out << "Note:        " << note << "\n";
    if (const Section* preface = loaded.Model.Find("preface")) {
        out << "Written above the report:\n";
        for (const Item& item : preface->Items)
            if (item.Type != Item::Blank) out << "  | " << Plain(Utf8(item.Indent + item.Value)) << "\n";
    }
    if (loaded.Model.State != Status::Unreadable) {
        out << "Report date: " << Or(f.ReportDate) << "\n";
        out << "Machine:     " << Or(f.Computer) << ", user " << Or(f.User) << "\n";
        out << "Processor:   " << Or(f.CpuName) << ", " << Count(f.Processors)
            << " x " << Count(f.Clock) << " MHz (family " << Count(f.TrueFamily) << " = " << Count(f.Family) << " + "
            << Count(f.ExtendedFamily) << "/16, model " << Count(f.Model) << ", stepping " << Count(f.Stepping)
            << ")\n";
        out << "Memory:      " << Size(f.MemoryTotal) << " physical, " << Size(f.MemoryFree) << " free\n";
        out << "OS:          " << Or(f.OsRow) << "\n";
        if (!f.Windows.empty())
            out << "Windows:     " << f.Windows << (f.WindowsVersion.empty() ? "" : " " + f.WindowsVersion)
                << (f.WindowsBuild.empty() ? "" : " (" + f.WindowsBuild + ")") << ", " << Or(f.WindowsArchitecture)
                << (f.RemoteSession ? ", in a remote session" : "") << "\n";
        for (const auto& [label, value] : std::initializer_list<std::pair<const char*, std::string>>{
                 {"Features:    ", f.ProcessorFeatures}, {"Platform:    ", PlatformOf(f)}, {"Security:    ", SecurityOf(f)},
                 {"Runtimes:    ", RuntimesOf(f)}, {"Power plan:  ", PowerPlanOf(f)}})
            if (!value.empty()) out << label << value << "\n";
        if (!f.DirectX.empty()) out << "DirectX:     " << f.DirectX << "\n";
        out << "GPU:         " << (f.DirectXFailed ? "DirectX failed" : Or(f.D3d9Description)) << ", driver "
            << DriverOf(f) << "\n";
        if (f.Displays.size() > 1)
            for (size_t n = 0; n < f.Displays.size(); ++n)
                out << "  display " << n + 1 << ": " << Or(f.Displays[n].Description) << ", driver "
                    << Driver(f.Displays[n].DriverVersion, f.Displays[n].DriverDate) << "\n";
        for (const Facts::GraphicsAdapter& a : f.Adapters) {
            out << "  adapter " << a.Index << ": " << a.Description << (a.Software ? " (software)" : "") << ", "
                << Or(a.DedicatedVideo) << (a.DriverVersion.empty() ? "" : ", driver " + a.DriverVersion)
                << Abilities(a) << "\n";
            // A display line is shown where it says more than the mode: the panel, HDR, connection or monitor.
            for (size_t n = 0; n < a.Outputs.size(); ++n)
                if (a.Outputs[n].Newer()) out << "    display " << a.Displays[n] << "\n";
        }
        for (const Facts::DisplayDevice& d : f.DisplayDevices)
            out << "  device: " << d.Name << ", driver " << Driver(d.DriverVersion, d.DriverDate) << ", " << StateOf(d)
                << (d.BasicDriver ? " (no vendor driver)" : "") << "\n";
        if (f.CrashesListed)
            out << "Crashes:     " << (f.Crashes.empty() ? "none" : std::to_string(f.Crashes.size())) << " in the last 30 days\n";
        for (const Facts::Crash& c : f.Crashes) out << "  crash: " << c.Line << "\n";
        if (!f.SoundDevices.empty()) {
            out << "Sound:       ";
            for (size_t n = 0; n < f.SoundDevices.size(); ++n) {
                const Facts::Sound& s = f.SoundDevices[n];
                out << (n == 0 ? "" : "; ") << Or(s.Description) << ", driver " << Driver(s.DriverVersion, s.DriverDate)
                    << (s.Default ? " (default)" : "");
            }
            out << "\n";
        }
        for (const Facts::NetworkAdapter& n : f.NetworkAdapters)
            out << "Network:     " << Or(n.Description) << ", " << Or(n.Address) << ", " << Or(n.Ip)
                << (n.Dhcp ? ", DHCP" : "") << "\n";
        out << "Drives:      ";
        for (size_t n = 0; n < f.Drives.size(); ++n) {
            const Facts::Drive& d = f.Drives[n];
            out << (n == 0 ? "" : "; ") << d.Root << " ";
            // An empty optical or removable drive: no file system, no size.
            if (d.Total == 0 && d.FileSystem.empty())
                out << "no media";
            else
                out << Gib(d.Free) << " free of " << Gib(d.Total);
        }
        if (f.Drives.empty()) out << (f.Has("drives") ? "none listed" : "not in the file");
        out << "\n";
        out << "Processes:   " << Listed(f, "processes", f.Processes.size()) << ", services and drivers: "
            << Listed(f, "services", f.Services.size()) << "\n";
        for (const Facts::Failure& failure : f.Failures)
            if (failure.Section != "services" || !f.ServicesSkipped)
                out << "Not collected: " << SectionName(failure.Section) << " (" << Plain(failure.Line) << ")\n";
        if (!f.Missing.empty()) {
            out << "Missing:     ";
            for (size_t n = 0; n < f.Missing.size(); ++n) out << (n == 0 ? "" : ", ") << SectionName(f.Missing[n]);
            out << " (not in the file: no finding is drawn from them)\n";
        }
        out << "Findings:" << (loaded.Findings.empty() ? " none" : "") << "\n";
        for (const Finding& finding : loaded.Findings) out << "  [" << finding.Id << "] " << finding.Text << "\n";
    }
    if (!loaded.Model.Problems.empty()) {
        out << "Problems:\n";
        for (const Problem& p : loaded.Model.Problems)
            out << "  " << (p.Line != 0 ? "line " + std::to_string(p.Line) + ": " : "") << Utf8(p.Message) << "\n";
    }
    out << "\n";
    shown << Plain(out.str(), true);
}

namespace {

// One graphics adapter as a section of the report names it: the same card is
// the same vendor, device and description; its driver is what changes.
struct Adapter {
    std::string Source, Identity, Description, Driver;
};

std::vector<Adapter> AdaptersOf(const Facts& f)
{
    std::vector<Adapter> all;
    auto add = [&](const char* source, const std::string& vendor, const std::string& device,
                   const std::string& description, const std::string& driver) {
        all.push_back({source, vendor + "/" + device + "/" + description, description, driver});
    };
    if (!f.D3d9Description.empty())
        add("Direct3D 9", f.D3d9VendorId, f.D3d9DeviceId, f.D3d9Description, f.D3d9DriverVersion);
    for (const Facts::Display& d : f.Displays)
        add("display", d.VendorId, d.DeviceId, d.Description, Driver(d.DriverVersion, d.DriverDate));
    for (const Facts::GraphicsAdapter& a : f.Adapters)
        if (!a.Software) add("adapter", a.VendorId, a.DeviceId, a.Description, a.DriverVersion);
    return all;
}

}  // namespace

std::vector<Change> DiffOf(const Loaded& older, const Loaded& newer)
{
    std::vector<Change> out;
    const Facts& a = older.Data;
    const Facts& b = newer.Data;
    auto change = [&](const std::string& what, const std::string& from, const std::string& to) {
        if (from != to) out.push_back({Change::Changed, what, Or(from, "(none)"), Or(to, "(none)")});
    };
    auto added = [&](const std::string& what, const std::string& detail) { out.push_back({Change::Added, what, "", detail}); };
    auto removed = [&](const std::string& what, const std::string& detail) { out.push_back({Change::Removed, what, detail, ""}); };
    change("Report date", a.ReportDate, b.ReportDate);
    change("OS", a.OsRow, b.OsRow);
    change("Windows", a.Windows + " " + a.WindowsVersion + " " + a.WindowsBuild,
           b.Windows + " " + b.WindowsVersion + " " + b.WindowsBuild);
    change("DirectX", a.DirectX, b.DirectX);
    change("Memory", Size(a.MemoryTotal), Size(b.MemoryTotal));
    // Adapters by identity, the same card twice matched in order.
    std::multimap<std::pair<std::string, std::string>, const Adapter*> before;
    const std::vector<Adapter> oldAdapters = AdaptersOf(a), newAdapters = AdaptersOf(b);
    for (const Adapter& adapter : oldAdapters) before.emplace(std::make_pair(adapter.Source, adapter.Identity), &adapter);
    for (const Adapter& adapter : newAdapters) {
        const auto match = before.find({adapter.Source, adapter.Identity});
        if (match == before.end()) {
            added("Adapter appeared", adapter.Description + " (" + adapter.Source + "), driver " + Or(adapter.Driver));
            continue;
        }
        change("Driver changed: " + adapter.Description + " (" + adapter.Source + ")", match->second->Driver, adapter.Driver);
        before.erase(match);
    }
    std::set<const Adapter*> left;
    for (const auto& entry : before) left.insert(entry.second);
    for (const Adapter& adapter : oldAdapters)
        if (left.count(&adapter) != 0) removed("Adapter gone", adapter.Description + " (" + adapter.Source + ")");
    // Display devices by name, the same name twice matched in order; only where both reports list them.
    if (a.DisplayDevicesListed && b.DisplayDevicesListed) {
        std::multimap<std::string, const Facts::DisplayDevice*> was;
        for (const Facts::DisplayDevice& d : a.DisplayDevices) was.emplace(d.Name, &d);
        for (const Facts::DisplayDevice& d : b.DisplayDevices) {
            const auto match = was.find(d.Name);
            if (match == was.end()) {
                added("Display device appeared", d.Name + ", driver " + Driver(d.DriverVersion, d.DriverDate) + ", " +
                    StateOf(d));
                continue;
            }
            const Facts::DisplayDevice& old = *match->second;
            change("Display device driver: " + d.Name, Driver(old.DriverVersion, old.DriverDate),
                   Driver(d.DriverVersion, d.DriverDate));
            change("Display device state: " + d.Name, StateOf(old), StateOf(d));
            was.erase(match);
        }
        std::set<const Facts::DisplayDevice*> left;
        for (const auto& entry : was) left.insert(entry.second);
        for (const Facts::DisplayDevice& d : a.DisplayDevices)
            if (left.count(&d) != 0) removed("Display device gone", d.Name);
    }
    // The Windows block's newer lines and the crashes, where both reports have them.
    for (const auto& [what, from, to] : std::initializer_list<std::tuple<const char*, std::string, std::string>>{
             {"Processor features", a.ProcessorFeatures, b.ProcessorFeatures}, {"Firmware", FirmwareOf(a), FirmwareOf(b)},
             {"TPM", a.Tpm, b.Tpm}, {"Memory integrity", a.MemoryIntegrity, b.MemoryIntegrity},
             {"Test signing", a.TestSigning, b.TestSigning}, {"Security software", SecurityOf(a), SecurityOf(b)},
             {"Visual C++ runtime", VcRuntimeOf(a), VcRuntimeOf(b)}, {".NET Framework", a.DotNet, b.DotNet},
             {"DirectX 9 extras", ExtrasOf(a), ExtrasOf(b)}, {"Power plan", PowerPlanOf(a), PowerPlanOf(b)}})
        if (!from.empty() && !to.empty()) change(what, from, to);
    if (a.CrashesListed && b.CrashesListed)
        for (const Facts::Crash& c : b.Crashes)
            if (std::none_of(a.Crashes.begin(), a.Crashes.end(), [&](const Facts::Crash& old) { return old.Line == c.Line; }))
                added("New crash", c.Line);
    std::map<std::string, const Facts::Drive*> drives;
    for (const Facts::Drive& e : b.Drives) drives.emplace(e.Root, &e);
    for (const Facts::Drive& d : a.Drives) {
        const auto now = drives.find(d.Root);
        if (now == drives.end()) {
            removed("Drive gone", d.Root);
            continue;
        }
        change("Drive " + d.Root + " free", Gib(d.Free), Gib(now->second->Free));
        change("Drive " + d.Root + " file system", d.FileSystem, now->second->FileSystem);
    }
    std::set<std::string> roots;
    for (const Facts::Drive& d : a.Drives) roots.insert(d.Root);
    for (const Facts::Drive& e : b.Drives)
        if (roots.count(e.Root) == 0) added("Drive added", e.Root + " " + e.FileSystem + " " + Gib(e.Total));
    std::map<std::string, std::string> states;
    for (const auto& s : a.Services) states.emplace(s.Kind + " " + s.Name, s.State);
    for (const auto& s : b.Services) {
        const auto was = states.find(s.Kind + " " + s.Name);
        if (was == states.end())
            added("Service added", s.Name + " (" + s.Kind + ", " + s.State + ")");
        else
            change("Service " + s.Name + " (" + s.Kind + ")", was->second, s.State);
        if (was != states.end()) states.erase(was);
    }
    for (const auto& [name, state] : states) removed("Service gone", name.substr(name.find(' ') + 1));
    std::multiset<std::string> started, gone;
    for (const auto& p : a.Processes) gone.insert(p.Path.empty() ? p.Name : p.Path);
    for (const auto& p : b.Processes) {
        const std::string name = p.Path.empty() ? p.Name : p.Path;
        const auto was = gone.find(name);
        if (was != gone.end())
            gone.erase(was);
        else
            started.insert(name);
    }
    for (const std::string& name : started) added("Process started", name);
    for (const std::string& name : gone) removed("Process gone", name);
    return out;
}

bool WriteDiff(std::ostream& shown, const Loaded& older, const Loaded& newer)
{
    std::ostringstream out;
    const std::vector<Change> changes = DiffOf(older, newer);
    for (const Change& c : changes) {
        out << c.What << ": ";
        if (c.Kind == Change::Changed) out << c.From << " -> " << c.To << "\n";
        else out << (c.Kind == Change::Added ? c.To : c.From) << "\n";
    }
    if (changes.empty()) out << "No change in OS, drivers, drives, services or processes.\n";
    shown << Plain(out.str(), true);
    return !changes.empty();
}

}  // namespace reader
