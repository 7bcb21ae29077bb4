#include "Findings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "Text.h"

namespace reader {

namespace {

const long long GiB = 1024LL * 1024 * 1024;

bool D3d9Unavailable(const Facts& facts) { return facts.DirectXFailed || facts.D3d9Description.empty(); }

bool OlderThan10(const Facts& facts)
{
    const long long major = WindowsMajor(facts);
    return major >= 0 && major < 10;
}

bool Windows32Bit(const Facts& facts) { return facts.WindowsArchitecture == "x86"; }

bool LittleMemory(const Facts& facts) { return facts.MemoryTotal >= 0 && facts.MemoryTotal < 4 * GiB; }

bool SystemDriveFull(const Facts& facts)
{
    if (facts.SystemDirectory.size() < 3) return false;
    // Windows writes the letter in either case (c:\windows\system32).
    const auto same = [](const std::string& a, const std::string& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
               });
    };
    const std::string root = facts.SystemDirectory.substr(0, 3);
    for (const Facts::Drive& drive : facts.Drives)
        if (same(drive.Root, root)) return drive.Free >= 0 && drive.Free < 10 * GiB;
    return false;
}

bool OldDriver(const Facts& facts)
{
    const std::string report = facts.ReportDate.substr(0, 10);
    if (report.size() != 10) return false;
    for (const Facts::Display& display : facts.Displays) {
        const std::string& date = display.DriverDate;
        if (date.size() != 10) continue;
        // Two years on: the same day two calendar years later; ISO dates compare as text.
        const std::string later = std::to_string(std::atoi(date.substr(0, 4).c_str()) + 2) + date.substr(4);
        if (later < report) return true;
    }
    return false;
}

// Windows' own drivers, as English and Japanese Windows name them (facts are
// UTF-8, so the Japanese names are written as its bytes).
bool IsBasicAdapter(const std::string& description)
{
    static const char* const names[] = {"Microsoft Basic Display Adapter", "Microsoft Basic Render Driver",
                                        "Microsoft \xE5\x9F\xBA\xE6\x9C\xAC\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x83\x97\xE3\x83\xAC\xE3\x82\xA4 \xE3\x82\xA2\xE3\x83\x80\xE3\x83\x97\xE3\x82\xBF\xE3\x83\xBC" /* Microsoft 基本ディスプレイ アダプター */,
                                        "Microsoft \xE5\x9F\xBA\xE6\x9C\xAC\xE3\x83\xAC\xE3\x83\xB3\xE3\x83\x80\xE3\x83\xBC \xE3\x83\x89\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x90\xE3\x83\xBC" /* Microsoft 基本レンダー ドライバー */};
    for (const char* name : names)
        if (StartsWith(description, name)) return true;
    return false;
}

bool NoVendorDriver(const Facts& facts)
{
    if (IsBasicAdapter(facts.D3d9Description)) return true;
    for (const Facts::Display& display : facts.Displays)
        if (IsBasicAdapter(display.Description)) return true;
    // DXGI lists its software renderer on every Windows 8 and later.
    for (const Facts::GraphicsAdapter& adapter : facts.Adapters)
        if (!adapter.Software && IsBasicAdapter(adapter.Description)) return true;
    return false;
}

bool OtherAdapter(const Facts& facts)
{
    if (facts.D3d9Description.empty()) return false;
    for (const Facts::GraphicsAdapter& adapter : facts.Adapters)
        if (!adapter.Software && adapter.Description != facts.D3d9Description) return true;
    return false;
}

bool NoServiceList(const Facts& facts) { return facts.Services.empty() && !facts.ServicesSkipped; }

// Each of a list that a rule names, joined by "; ": empty when there are none.
template <typename List, typename Function>
std::string Each(const List& list, Function each)
{
    std::string text;
    for (const auto& element : list) {
        const std::string one = each(element);
        if (!one.empty()) text += (text.empty() ? "" : "; ") + one;
    }
    return text;
}

std::string ProblemDevices(const Facts& facts)
{
    return Each(facts.DisplayDevices, [](const Facts::DisplayDevice& d) {
        if (d.State != "problem") return std::string();
        return d.Name + ", problem " + std::to_string(d.Problem) + (d.Meaning.empty() ? "" : " (" + d.Meaning + ")");
    });
}

std::string DisabledDevices(const Facts& facts)
{
    return Each(facts.DisplayDevices, [](const Facts::DisplayDevice& d) { return d.State == "disabled" ? d.Name : ""; });
}

std::string SlowDisplays(const Facts& facts)
{
    return Each(facts.Adapters, [](const Facts::GraphicsAdapter& a) {
        return Each(a.Outputs, [](const Facts::Output& o) {
            if (o.Refresh < 0 || o.Panel <= o.Refresh) return std::string();
            return o.Device + " at " + std::to_string(o.Refresh) + " Hz, its panel up to " + std::to_string(o.Panel) + " Hz";
        });
    });
}

// The adapter Direct3D 9 uses, as the closing section names it.
bool GameAdapter(const Facts& facts, const Facts::GraphicsAdapter& adapter)
{
    return !facts.D3d9Description.empty() && !adapter.Software && adapter.Description == facts.D3d9Description;
}

std::string OldFeatureLevels(const Facts& facts)
{
    return Each(facts.Adapters, [&](const Facts::GraphicsAdapter& a) {
        if (a.Level < 0 || a.Level >= 1100 || !(GameAdapter(facts, a) || a.HighPerformance)) return std::string();
        return a.Description + ", feature level " + a.FeatureLevel;
    });
}

bool RemoteSession(const Facts& facts) { return facts.RemoteSession; }

// On a machine of two GPUs or more where Windows names the high-performance
// one, Direct3D 9 runs on another: the game gets the slower GPU.
std::string GameNotHighPerformance(const Facts& facts)
{
    size_t hardware = 0;
    bool game = false, gameIsFast = false;
    std::string fast;
    for (const Facts::GraphicsAdapter& a : facts.Adapters) {
        hardware += a.Software ? 0 : 1;
        if (a.HighPerformance && fast.empty()) fast = a.Description;
        game = game || GameAdapter(facts, a);
        gameIsFast = gameIsFast || (GameAdapter(facts, a) && a.HighPerformance);
    }
    if (hardware < 2 || fast.empty() || !game || gameIsFast) return "";
    return facts.D3d9Description + ", not " + fast;
}

// The line a rule read, as the report writes it, where the rule's condition holds; else empty.
std::string Quote(bool holds, const char* label, const std::string& value)
{
    return holds ? std::string(label) + ": " + value : "";
}

bool HasFeature(const Facts& facts, const char* name)
{
    return std::any_of(facts.Features.begin(), facts.Features.end(), [&](const Facts::Feature& f) { return f.Name == name; });
}

// Windows 11 24H2 checks for both at start.
std::string LacksSse42(const Facts& facts)
{
    return Quote(facts.FeaturesKnown && !(HasFeature(facts, "SSE4.2") && HasFeature(facts, "POPCNT")), "Processor features",
                 facts.ProcessorFeatures);
}

std::string LacksAvx2(const Facts& facts)
{
    return Quote(facts.FeaturesKnown && !HasFeature(facts, "AVX2"), "Processor features", facts.ProcessorFeatures);
}

std::string FeatureOff(const Facts& facts)
{
    const bool off = std::any_of(facts.Features.begin(), facts.Features.end(), [](const Facts::Feature& f) { return f.OffInWindows; });
    return Quote(off, "Processor features", facts.ProcessorFeatures);
}

std::string TestSigning(const Facts& facts) { return Quote(facts.TestSigning == "on", "Test signing", facts.TestSigning); }

std::string SecureBootOff(const Facts& facts) { return Quote(facts.SecureBoot == "off", "Firmware", "UEFI, Secure Boot off"); }

std::string NoTpm2(const Facts& facts) { return Quote(facts.Tpm == "none" || facts.Tpm == "1.2", "TPM", facts.Tpm); }

std::string MemoryIntegrity(const Facts& facts)
{
    return Quote(facts.MemoryIntegrity == "on", "Memory integrity", facts.MemoryIntegrity);
}

std::string NoVcRuntime(const Facts& facts)
{
    return Quote(facts.VcRuntimeX86 == "missing", "Visual C++ runtime",
                 "x86 missing" + (facts.VcRuntimeX64.empty() ? "" : ", x64 " + facts.VcRuntimeX64));
}

std::string OtherSecurity(const Facts& facts)
{
    return Each(facts.SecurityProducts, [](const Facts::SecurityProduct& p) {
        if (StartsWith(p.Name, "Windows Defender") || StartsWith(p.Name, "Microsoft Defender")) return std::string();
        return p.Name + " (" + p.State + ", " + p.Definitions + ")";
    });
}

std::string Crashes(const Facts& facts)
{
    return Each(facts.Crashes, [](const Facts::Crash& c) { return c.Line; });
}

// The user-mode drivers of the GPU vendors (Direct3D, OpenGL, Vulkan, CUDA, their APIs), 32- and 64-bit:
// a crash in one is the driver's, whatever the program.
const char* const GraphicsDriverFiles[] = {
    // NVIDIA
    "nvwgf2um.dll", "nvwgf2umx.dll", "nvd3dum.dll", "nvd3dumx.dll", "nvoglv32.dll", "nvoglv64.dll", "nvcuda.dll",
    "nvapi.dll", "nvapi64.dll",
    // AMD
    "atiumdag.dll", "atiumd64.dll", "atidxx32.dll", "atidxx64.dll", "amdxc32.dll", "amdxc64.dll", "atioglxx.dll",
    "atio6axx.dll", "amdvlk32.dll", "amdvlk64.dll",
    // Intel
    "igdumd32.dll", "igdumd64.dll", "igdumdim32.dll", "igdumdim64.dll", "igd10iumd32.dll", "igd10iumd64.dll",
    "igd12umd64.dll", "igc32.dll", "igc64.dll", "ig9icd32.dll", "ig9icd64.dll", "igxelpicd32.dll", "igxelpicd64.dll",
    "igvk32.dll", "igvk64.dll",
};

std::string GraphicsDriverCrashes(const Facts& facts)
{
    return Each(facts.Crashes, [](const Facts::Crash& c) {
        const std::string module = LowerAscii(c.Module);
        const bool driver = std::find(std::begin(GraphicsDriverFiles), std::end(GraphicsDriverFiles), module) !=
                            std::end(GraphicsDriverFiles);
        return driver ? c.Line : std::string();
    });
}

// A rule that fires where it names something.
template <std::string (*Names)(const Facts&)>
bool Named(const Facts& facts)
{
    return !Names(facts).empty();
}

// A rule is asked only of a report that holds one of the sections it reads.
bool Holds(const Facts& facts, const char* needs)
{
    for (const char* at = needs; *at != '\0';) {
        const char* end = std::strchr(at, ' ');
        if (end == nullptr) end = at + std::strlen(at);
        if (facts.Has(std::string(at, end))) return true;
        at = *end == ' ' ? end + 1 : end;
    }
    return false;
}

}  // namespace

long long WindowsMajor(const Facts& facts)
{
    // The closing section's build is the true version, and its name the next best.
    if (!facts.WindowsBuild.empty()) return std::atoll(facts.WindowsBuild.c_str());
    static const struct {
        const char* Name;
        long long Major;
    } majors[] = {{"Windows 1", 10}, {"Windows Server (build ", 10}, {"Windows Server 2016", 10}, {"Windows Server 2019", 10},
                  {"Windows Server 2022", 10}, {"Windows Server 2025", 10}, {"Windows 8", 6}, {"Windows 7", 6},
                  {"Windows Vista", 6}, {"Windows Server 2008", 6}, {"Windows Server 2012", 6}, {"Windows XP", 5},
                  {"Windows 2000", 5}, {"Windows Server 2003", 5}, {"Windows NT 4", 4}, {"Windows 9", 4},
                  {"Windows Me", 4}};
    for (const auto& entry : majors)
        if (StartsWith(facts.Windows, entry.Name)) return entry.Major;
    // Older reports: the OS row's product, then what DirectX says.
    for (const auto& entry : majors)
        if (StartsWith(facts.OsProduct, std::string("Microsoft ") + entry.Name)) return entry.Major;
    if (StartsWith(facts.OsProduct, "Microsoft Windows NT")) return 4;
    if (StartsWith(facts.OsProduct, "Microsoft Windows Millennium")) return 4;
    return facts.OsMajor;
}

const std::vector<Rule>& Rules()
{
    static const std::vector<Rule> rules = {
        {"d3d9-unavailable", "the DirectX failure line; Graphic Adapter information: Description",
         "directx d3d9", "Description", "Direct3D 9 is not available", D3d9Unavailable},
        {"windows-before-10", "Current system information: Build, Windows; the OS row; dwOSMajorVersion",
         "current os dx_system", "Windows|Build|dwOSMajorVersion", "Windows older than 10", OlderThan10},
        {"windows-32bit", "Current system information: Windows architecture", "current", "Windows architecture", "32-bit Windows", Windows32Bit},
        {"memory-under-4gib", "Memory information: the first line (total physical memory)", "memory", "物理メモリ合計", "under 4 GiB of memory",
         LittleMemory},
        {"system-drive-under-10gib", "System directory; the drive of that letter: FreeBytes",
         "drives", "Drive|FreeBytes", "under 10 GiB free on the system drive", SystemDriveFull},
        {"driver-over-2-years", "szDriverDateEnglish of each display; szTimeEnglish (the report's date)",
         "dx_display", "szDescription|szDriverDateEnglish", "graphics driver over two years older than the report", OldDriver},
        {"basic-display-adapter", "Description, szDescription, the closing section's adapters",
         "d3d9 dx_display current", "Description|szDescription|Graphics adapter", "Microsoft Basic Display Adapter: no vendor graphics driver", NoVendorDriver},
        {"adapter-not-in-d3d9", "the closing section's adapters; Graphic Adapter information: Description",
         "current", "Description|Graphics adapter", "an adapter Direct3D 9 does not use: the game may run on the other GPU", OtherAdapter},
        {"no-service-list", "Service Infomation: the tables, on an NT Windows", "services", "", "the service list could not be read",
         NoServiceList},
        {"gpu-device-problem", "Display devices: each device's state", "current", "",
         "a display device has a problem", Named<ProblemDevices>, ProblemDevices},
        {"gpu-disabled", "Display devices: each device's state", "current", "", "a display device is disabled",
         Named<DisabledDevices>, DisabledDevices},
        {"refresh-below-panel", "the closing section's adapters: Display (its rate and the panel's)", "current", "Graphics adapter|Display",
         "a display runs below its panel's highest refresh rate", Named<SlowDisplays>, SlowDisplays},
        {"feature-level-below-11",
         "Graphic Adapter information: Description; the closing section's adapters: Preference, Direct3D", "current", "Description|Graphics adapter|Direct3D",
         "the game's GPU has a Direct3D feature level below 11_0", Named<OldFeatureLevels>, OldFeatureLevels},
        {"remote-session", "Current system information: Remote session", "current", "Remote session",
         "envcheck ran in a remote session: the game sees the remote display, not the machine's own", RemoteSession},
        {"game-gpu-not-high-performance",
         "Graphic Adapter information: Description; the closing section's adapters: Preference", "current", "Description|Graphics adapter|Preference",
         "Direct3D 9 uses an adapter other than the high-performance one", Named<GameNotHighPerformance>,
         GameNotHighPerformance},
        {"cpu-lacks-sse42", "Current system information: Processor features", "current", "Processor features",
         "the processor lacks SSE4.2 or POPCNT, without which Windows 11 24H2 does not start", Named<LacksSse42>, LacksSse42},
        {"cpu-lacks-avx2", "Current system information: Processor features", "current", "Processor features",
         "the processor lacks AVX2, which some games need", Named<LacksAvx2>, LacksAvx2},
        {"avx-off-in-windows", "Current system information: Processor features", "current", "Processor features",
         "the processor has a feature Windows does not save the state of, so programs cannot use it", Named<FeatureOff>,
         FeatureOff},
        {"test-signing-on", "Current system information: Test signing", "current", "Test signing",
         "test signing is on, which anti-cheats may refuse", Named<TestSigning>, TestSigning},
        {"secure-boot-off", "Current system information: Firmware", "current", "Firmware",
         "Secure Boot is off, which some anti-cheats require", Named<SecureBootOff>, SecureBootOff},
        {"no-tpm-2", "Current system information: TPM", "current", "TPM", "no TPM 2.0, which Windows 11 and some anti-cheats require",
         Named<NoTpm2>, NoTpm2},
        {"no-vc-runtime", "Current system information: Visual C++ runtime", "current", "Visual C++ runtime",
         "the 32-bit Visual C++ runtime is missing", Named<NoVcRuntime>, NoVcRuntime},
        {"third-party-security-software", "Current system information: Security software", "current", "Security software",
         "security software other than Microsoft Defender, which may block or slow the game", Named<OtherSecurity>,
         OtherSecurity},
        {"crashed-recently", "Current system information: Recent program crashes", "current", "",
         "programs crashed in the last 30 days", Named<Crashes>, Crashes},
        {"crash-in-graphics-driver", "Current system information: Recent program crashes (each module)", "current", "",
         "a program crashed in the graphics driver", Named<GraphicsDriverCrashes>, GraphicsDriverCrashes},
        // The last: a note on performance, not a fault.
        {"memory-integrity-on", "Current system information: Memory integrity", "current", "Memory integrity",
         "memory integrity is on, which may cost some performance in games", Named<MemoryIntegrity>, MemoryIntegrity},
    };
    return rules;
}

std::vector<Finding> FindingsOf(const Facts& facts)
{
    std::vector<Finding> findings;
    for (const Rule& rule : Rules())
        if (Holds(facts, rule.Needs) && rule.Fires(facts))
            findings.push_back({rule.Id, rule.Text + (rule.Names != nullptr ? ": " + rule.Names(facts) : "")});
    return findings;
}

}  // namespace reader
