#include <cstdio>
#include <set>

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

std::string Count(long long value) { return value < 0 ? "?" : std::to_string(value); }

std::string Or(const std::string& text, const char* otherwise = "?") { return text.empty() ? otherwise : text; }

const Facts::Display* MainDisplay(const Facts& f) { return f.Displays.empty() ? nullptr : &f.Displays.front(); }

std::string DriverOf(const Facts& f)
{
    if (const Facts::Display* display = MainDisplay(f))
        return Or(display->DriverVersion) + " of " + Or(display->DriverDate, "an unknown date");
    return Or(f.D3d9DriverVersion);
}

}  // namespace

void WriteProblems(std::ostream& out, const Loaded& loaded)
{
    for (const Problem& p : loaded.Model.Problems) {
        out << loaded.Path;
        if (p.Line != 0) out << ":" << p.Line;
        out << ": " << Utf8(p.Message) << "\n";
    }
}

void WriteSummary(std::ostream& out, const Loaded& loaded)
{
    const Facts& f = loaded.Data;
    out << "== " << loaded.Path << " (" << StatusName(loaded.Model.State) << ")\n";
    if (loaded.Model.State != Status::Unreadable) {
        out << "Report date: " << Or(f.ReportDate) << "\n";
        out << "Machine:     " << Or(f.Computer) << ", user " << Or(f.User) << "\n";
        out << "Processor:   " << Or(f.CpuName) << ", " << Count(f.Processors)
            << " x " << Count(f.Clock) << " MHz (family " << Count(f.TrueFamily) << " = " << Count(f.Family) << " + "
            << Count(f.ExtendedFamily) << "/16, model " << Count(f.Model) << ", stepping " << Count(f.Stepping)
            << ")\n";
        out << "Memory:      " << Gib(f.MemoryTotal) << " physical, " << Gib(f.MemoryFree) << " free\n";
        out << "OS:          " << Or(f.OsRow) << "\n";
        if (!f.Windows.empty())
            out << "Windows:     " << f.Windows << (f.WindowsVersion.empty() ? "" : " " + f.WindowsVersion)
                << (f.WindowsBuild.empty() ? "" : " (" + f.WindowsBuild + ")") << ", " << Or(f.WindowsArchitecture)
                << "\n";
        out << "GPU:         " << (f.DirectXFailed ? "DirectX failed" : Or(f.D3d9Description)) << ", driver "
            << DriverOf(f) << "\n";
        for (const Facts::GraphicsAdapter& a : f.Adapters)
            out << "  adapter " << a.Index << ": " << a.Description << (a.Software ? " (software)" : "") << ", "
                << Or(a.DedicatedVideo) << "\n";
        out << "Drives:      ";
        for (size_t n = 0; n < f.Drives.size(); ++n)
            out << (n == 0 ? "" : "; ") << f.Drives[n].Root << " " << Gib(f.Drives[n].Free) << " free of "
                << Gib(f.Drives[n].Total);
        out << "\n";
        out << "Processes:   " << f.Processes.size() << ", services and drivers: " << f.Services.size() << "\n";
        out << "Findings:" << (loaded.Findings.empty() ? " none" : "") << "\n";
        for (const Finding& finding : loaded.Findings) out << "  [" << finding.Id << "] " << finding.Text << "\n";
    }
    if (!loaded.Model.Problems.empty()) {
        out << "Problems:\n";
        for (const Problem& p : loaded.Model.Problems)
            out << "  " << (p.Line != 0 ? "line " + std::to_string(p.Line) + ": " : "") << Utf8(p.Message) << "\n";
    }
    out << "\n";
}

bool WriteDiff(std::ostream& out, const Loaded& older, const Loaded& newer)
{
    const Facts& a = older.Data;
    const Facts& b = newer.Data;
    bool any = false;
    auto change = [&](const char* what, const std::string& from, const std::string& to) {
        if (from == to) return;
        out << what << ": " << Or(from, "(none)") << " -> " << Or(to, "(none)") << "\n";
        any = true;
    };
    change("Report date", a.ReportDate, b.ReportDate);
    change("OS", a.OsRow, b.OsRow);
    change("Windows", a.Windows + " " + a.WindowsVersion + " " + a.WindowsBuild,
           b.Windows + " " + b.WindowsVersion + " " + b.WindowsBuild);
    change("Direct3D 9 adapter", a.D3d9Description, b.D3d9Description);
    change("Direct3D 9 driver", a.D3d9DriverVersion, b.D3d9DriverVersion);
    change("Display driver", MainDisplay(a) ? DriverOf(a) : "", MainDisplay(b) ? DriverOf(b) : "");
    change("Memory", Gib(a.MemoryTotal), Gib(b.MemoryTotal));
    for (const Facts::Drive& d : a.Drives) {
        const Facts::Drive* now = nullptr;
        for (const Facts::Drive& e : b.Drives)
            if (e.Root == d.Root) now = &e;
        if (now == nullptr) {
            out << "Drive gone: " << d.Root << "\n";
            any = true;
        } else {
            change(("Drive " + d.Root + " free").c_str(), Gib(d.Free), Gib(now->Free));
            change(("Drive " + d.Root + " file system").c_str(), d.FileSystem, now->FileSystem);
        }
    }
    for (const Facts::Drive& e : b.Drives) {
        bool known = false;
        for (const Facts::Drive& d : a.Drives) known = known || d.Root == e.Root;
        if (!known) {
            out << "Drive added: " << e.Root << " " << e.FileSystem << " " << Gib(e.Total) << "\n";
            any = true;
        }
    }
    std::multiset<std::string> before, after;
    for (const auto& p : a.Processes) before.insert(p.Path.empty() ? p.Name : p.Path);
    for (const auto& p : b.Processes) after.insert(p.Path.empty() ? p.Name : p.Path);
    for (const std::string& name : std::set<std::string>(after.begin(), after.end()))
        for (size_t n = before.count(name); n < after.count(name); ++n) {
            out << "Process started: " << name << "\n";
            any = true;
        }
    for (const std::string& name : std::set<std::string>(before.begin(), before.end()))
        for (size_t n = after.count(name); n < before.count(name); ++n) {
            out << "Process gone: " << name << "\n";
            any = true;
        }
    if (!any) out << "No change in OS, drivers, drives or processes.\n";
    return any;
}

}  // namespace reader
