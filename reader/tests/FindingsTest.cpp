#include <gtest/gtest.h>

#include <map>
#include <set>

#include "Files.h"
#include "Findings.h"
#include "Load.h"

using namespace reader;

namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << "the report has no: " << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::set<std::string> Fired(const std::string& report)
{
    std::set<std::string> ids;
    for (const Finding& finding : LoadBytes("report", report).Findings) ids.insert(finding.Id);
    return ids;
}

// The Windows 10 report of the version matrix, made a machine that fires no rule.
std::string Clean()
{
    std::string report = Sample("win10");
    report = Replaced(report, " Windows architecture: x86", " Windows architecture: x64");
    report = Replaced(report, "szDriverDateEnglish: 1/1/2016", "szDriverDateEnglish: 1/1/2026");
    return report;
}

}  // namespace

TEST(FindingsTest, EachRuleFiresOnItsReportAndNotOnTheClean)
{
    const std::string clean = Clean();
    ASSERT_EQ(std::set<std::string>{}, Fired(clean)) << "the clean report fires a rule";
    const std::string free = "FreeBytes: " + std::to_string(LoadBytes("clean", clean).Data.Drives.at(0).Free);
    const size_t services = clean.find("Service Infomation:\n");
    const std::string serviceTables = clean.substr(services, clean.find("Network Infomation:") - services);
    const std::string devices = "primary\n\n", card = "Graphics adapter 0: NVIDIA GeForce GTX 470\n";
    const std::string power = " Power: AC\n", crash = " 2026-12-01 21:03:11 game.exe 1.0, module ";
    const struct {
        std::set<std::string> Rules;
        std::string From, To;
    } rows[] = {
        {{"d3d9-unavailable"}, "Graphic Adapter information:\n", "DirectXの初期化に失敗しました\n"},
        {{"windows-before-10"}, " Windows: Windows 10", " Windows: Windows 8.1"},
        {{"windows-32bit"}, " Windows architecture: x64", " Windows architecture: x86"},
        {{"memory-under-4gib"}, "物理メモリ合計      25276153856", "物理メモリ合計       4294967295"},
        {{"system-drive-under-10gib"}, free, "FreeBytes: 10737418239"},
        {{"driver-over-2-years"}, "szDriverDateEnglish: 1/1/2026", "szDriverDateEnglish: 12/8/2024"},
        {{"basic-display-adapter"}, "szDescription: NVIDIA GeForce GTX 470", "szDescription: Microsoft Basic Display Adapter"},
        {{"adapter-not-in-d3d9"}, "Graphics adapter 0: NVIDIA GeForce GTX 470\n", "Graphics adapter 0: Intel(R) UHD Graphics 630\n"},
        {{"no-service-list"}, serviceTables, "Service Infomation:\nサービスの取得に失敗。\n"},
        {{"gpu-device-problem"}, devices, "primary\nDisplay devices:\n NVIDIA GeForce GTX 470: driver unknown, problem 43\n\n"},
        {{"gpu-disabled"}, devices, "primary\nDisplay devices:\n NVIDIA GeForce GTX 470: driver unknown, disabled\n\n"},
        {{"refresh-below-panel"}, "1024 60 Hz, scale", "1024 60 Hz (panel up to 75 Hz), scale"},
        {{"feature-level-below-11"}, card, card + " Direct3D: feature level 10_1\n"},
        {{"remote-session"}, " Power: AC\n", " Power: AC\n Remote session: yes\n"},
        // A second GPU, the high-performance one: Direct3D 9 does not use it either.
        {{"game-gpu-not-high-performance", "adapter-not-in-d3d9"}, devices,
         "primary\nGraphics adapter 1: NVIDIA GeForce RTX 3070\n Preference: high performance\n\n"},
        {{"cpu-lacks-sse42"}, power, power + " Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 AVX AVX2\n"},
        {{"cpu-lacks-avx2"}, power, power + " Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX\n"},
        {{"avx-off-in-windows"}, power, power + " Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX AVX2 AVX-512F (off in Windows)\n"},
        {{"test-signing-on"}, power, power + " Test signing: on\n"},
        {{"secure-boot-off"}, power, power + " Firmware: UEFI, Secure Boot off\n"},
        {{"no-tpm-2"}, power, power + " TPM: 1.2\n"},
        {{"memory-integrity-on"}, power, power + " Memory integrity: on\n"},
        {{"no-vc-runtime"}, power, power + " Visual C++ runtime: x86 missing, x64 14.40.33810\n"},
        {{"third-party-security-software"}, power, power + " Security software: Microsoft Defender Antivirus (off, up to date); Kaspersky (on, up to date)\n"},
        {{"crashed-recently"}, devices, "primary\nRecent program crashes (30 days):\n" + crash + "d3d9.dll 10.0.1, offset 0x1\n\n"},
        // The driver's file as Windows may spell it.
        {{"crashed-recently", "crash-in-graphics-driver"}, devices, "primary\nRecent program crashes (30 days):\n" + crash + "NVWGF2UMX.DLL 31.0, offset 0x1\n\n"},
    };
    std::set<std::string> covered;
    for (const auto& row : rows) {
        EXPECT_EQ(row.Rules, Fired(Replaced(clean, row.From, row.To))) << *row.Rules.begin();
        covered.insert(row.Rules.begin(), row.Rules.end());
    }
    for (const Rule& rule : Rules()) EXPECT_EQ(1u, covered.count(rule.Id)) << rule.Id << " has no row here";
    // The edge: a driver exactly two years old is not over two years.
    EXPECT_EQ(std::set<std::string>{}, Fired(Replaced(clean, "szDriverDateEnglish: 1/1/2026", "szDriverDateEnglish: 12/9/2024")));
}

// What a report does not hold gives no finding; Windows' own spellings are read as such.
TEST(FindingsTest, OnlyWhatTheReportHolds)
{
    const std::string clean = Clean();
    const size_t services = clean.find("Service Infomation:\n");
    const std::string serviceTables = clean.substr(services, clean.find("Network Infomation:") - services);
    const std::string free = "FreeBytes: " + std::to_string(LoadBytes("clean", clean).Data.Drives.at(0).Free);
    const struct {
        const char* Case;
        std::string Report;
        std::set<std::string> Fired;
    } rows[] = {
        {"cut before DirectX", clean.substr(0, clean.find("Graphic Adapter information:")), {}},
        {"cut inside the drives", clean.substr(0, clean.find("Drive : Z:")), {}},
        {"Windows Me skips its services", Replaced(clean, serviceTables, "Service Infomation:\nNT系OSではないので処理をスキップします。\n"), {}},
        {"a lower-case system drive", Replaced(Replaced(clean, "System directory:  C:", "System directory:  c:"), free, "FreeBytes: 1"),
         {"system-drive-under-10gib"}},
        {"Japanese Windows' basic adapter", Replaced(clean, "szDescription: NVIDIA GeForce GTX 470", "szDescription: Microsoft 基本ディスプレイ アダプター"),
         {"basic-display-adapter"}},
        {"the basic render driver", Replaced(clean, "szDescription: NVIDIA GeForce GTX 470", "szDescription: Microsoft Basic Render Driver"),
         {"basic-display-adapter"}},
    };
    for (const auto& row : rows) EXPECT_EQ(row.Fired, Fired(row.Report)) << row.Case;
}

// The names the closing section gives a Windows without its Build line.
TEST(FindingsTest, WindowsMajorFromTheClosingSectionsName)
{
    const struct {
        const char* Windows;
        long long Major;
    } rows[] = {
        {"Windows Server (build 25398) ServerDatacenter", 10},
        {"Windows 11 Professional (envcheck runs in compatibility mode for Windows 7)", 10},
        {"Windows 11 ServerRdsh", 10},
        {"Windows Server 2008 R2 ServerStandard", 6},
    };
    for (const auto& row : rows) {
        Facts facts;
        facts.Windows = row.Windows;
        EXPECT_EQ(row.Major, WindowsMajor(facts)) << row.Windows;
    }
}

TEST(FindingsTest, TrueFamilyAddsTheShiftedExtendedFamily)
{
    EXPECT_EQ(25, TrueFamily(15, 160));  // Zen 3: "Family: 15", "Extended Family: 160"
    EXPECT_EQ(6, TrueFamily(6, 0));
    EXPECT_EQ(-1, TrueFamily(-1, 160));
    EXPECT_EQ("2026-12-09 15:14:26", IsoDate("12/9/2026, 15:14:26"));
    EXPECT_EQ("2016-01-01 10:00:00", IsoDate("1/1/2016 10:00:00"));
    EXPECT_EQ("", IsoDate("13/1/2016"));
    EXPECT_EQ("", IsoDate("Failed to get parameter"));
}

// The hybrid laptop's findings, each naming what it found; and the edges of the
// closing section's rules, each a change of that report.
TEST(FindingsTest, ClosingSectionRulesNameWhatTheyFound)
{
    const std::string hybrid = Hybrid();
    std::map<std::string, std::string> texts;
    for (const Finding& finding : LoadBytes("hybrid", hybrid).Findings) texts[finding.Id] = finding.Text;
    const std::map<std::string, std::string> expected = {
        {"driver-over-2-years", "graphics driver over two years older than the report"},
        {"adapter-not-in-d3d9", "an adapter Direct3D 9 does not use: the game may run on the other GPU"},
        {"gpu-device-problem", "a display device has a problem: AMD Radeon RX 580, problem 43 (Windows stopped this device because it reported problems)"},
        {"gpu-disabled", "a display device is disabled: Microsoft Basic Display Adapter"},
        {"refresh-below-panel", "a display runs below its panel's highest refresh rate: \\\\.\\DISPLAY1 at 60 Hz, its panel up to 144 Hz"},
        {"remote-session", "envcheck ran in a remote session: the game sees the remote display, not the machine's own"},
        {"game-gpu-not-high-performance", "Direct3D 9 uses an adapter other than the high-performance one: Intel(R) UHD Graphics 620, not NVIDIA GeForce RTX 3070 Laptop GPU"},
    };
    EXPECT_EQ(expected, texts);
    const std::string intelLevel = "feature level 12_1, Direct3D 12 shader model 6.6", nvidiaLevel = "feature level 12_2, Direct3D 12 shader model 6.7";
    const struct {
        const char* Case;
        std::string From, To, Rule;
        bool Fires;
    } rows[] = {
        {"Direct3D 9 on the fast GPU", "Description : Intel(R) UHD Graphics 620", "Description : NVIDIA GeForce RTX 3070 Laptop GPU", "game-gpu-not-high-performance", false},
        {"the game's GPU the fast one too", " Preference: minimum power", " Preference: high performance, minimum power", "game-gpu-not-high-performance", false},
        {"one GPU but the software one", "Graphics adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU", "Graphics adapter 1: NVIDIA GeForce RTX 3070 Laptop GPU (software)", "game-gpu-not-high-performance", false},
        {"the fast GPU at 10_0", nvidiaLevel, "feature level 10_0", "feature-level-below-11", true},
        {"the game's GPU at 10_1", intelLevel, "feature level 10_1", "feature-level-below-11", true},
        {"the game's GPU at 11_0", intelLevel, "feature level 11_0", "feature-level-below-11", false},
        {"the software renderer at 9_3", "feature level 12_1, Direct3D 12 shader model 6.2", "feature level 9_3", "feature-level-below-11", false},
        {"the panel's rate is the display's", "(panel up to 144 Hz)", "(panel up to 60 Hz)", "refresh-below-panel", false},
        {"problem 22 is disabled", "problem 43 (Windows stopped this device because it reported problems)", "problem 22", "gpu-device-problem", false},
        {"no remote session", " Remote session: yes\n", "", "remote-session", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.Fires, Fired(Replaced(hybrid, row.From, row.To)).count(row.Rule) == 1) << row.Case << ": " << row.Rule;
}

// The samples' findings of the Windows block and the crashes, each quoting the lines it read;
// and the edges of those rules, each a change of the test-signing sample.
TEST(FindingsTest, WindowsBlockRulesQuoteTheirLines)
{
    const std::string signing = Named("win10-test-signing"), features = "POPCNT AVX (off in Windows) AVX2 (off in Windows) FMA3 (off in Windows)";
    const std::string line = "Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 " + features;
    const std::string crashes = signing.substr(signing.find(" 2026-12-08"), signing.rfind("\n\n") + 1 - signing.find(" 2026-12-08"));
    const std::string gamingCrash = "2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll 32.0.15.6603, exception 0xc0000005, offset 0x0012ab34";
    const struct {
        std::string Sample;
        std::map<std::string, std::string> Texts;
    } samples[] = {
        {"win10-test-signing",
         {{"avx-off-in-windows", "the processor has a feature Windows does not save the state of, so programs cannot use it: " + line},
          {"test-signing-on", "test signing is on, which anti-cheats may refuse: Test signing: on"},
          {"secure-boot-off", "Secure Boot is off, which some anti-cheats require: Firmware: UEFI, Secure Boot off"},
          {"no-tpm-2", "no TPM 2.0, which Windows 11 and some anti-cheats require: TPM: none"},
          {"no-vc-runtime", "the 32-bit Visual C++ runtime is missing: Visual C++ runtime: x86 missing, x64 14.29.30133"},
          {"third-party-security-software", "security software other than Microsoft Defender, which may block or slow the game: ESET Security (on, out of date)"},
          {"crashed-recently", u8"programs crashed in the last 30 days: 2026-12-08 22:14:05 ゲーム ランチャー.exe 3.1.0.7, module "
                               "KERNELBASE.dll 10.0.19041.5129, exception 0xe0434352, offset 0x000000000002d3a2; 2026-11-20 18:40:55 "
                               "game.exe 1.2.3.4, module d3d9.dll 10.0.19041.5072, exception 0xc0000005, offset 0x0000000000071c2e"}}},
        {"gaming-pc-win11",
         {{"crashed-recently", "programs crashed in the last 30 days: " + gamingCrash},
          {"crash-in-graphics-driver", "a program crashed in the graphics driver: " + gamingCrash}}},
    };
    for (const auto& sample : samples) {
        std::map<std::string, std::string> texts;
        for (const Finding& finding : LoadBytes(sample.Sample, Named(sample.Sample)).Findings) texts[finding.Id] = finding.Text;
        EXPECT_EQ(sample.Texts, texts) << sample.Sample;
    }
    const struct {
        const char* Case;
        std::string From, To, Rule;
        bool Fires;
    } rows[] = {
        {"AVX2 there, though off in Windows", "", "", "cpu-lacks-avx2", false},
        {"features unknown", line, "Processor features: unknown", "cpu-lacks-sse42", false},
        {"features unknown", line, "Processor features: unknown", "cpu-lacks-avx2", false},
        {"no feature at all", line, "Processor features: none", "cpu-lacks-sse42", true},
        {"Secure Boot unknown", "Secure Boot off", "Secure Boot unknown", "secure-boot-off", false},
        {"TPM unknown", " TPM: none", " TPM: unknown", "no-tpm-2", false},
        {"the runtime of an unknown version", "x86 missing", "x86 installed", "no-vc-runtime", false},
        {"Defender alone", "; ESET Security (on, out of date)", "", "third-party-security-software", false},
        {"no crashes", crashes, " (none)\n", "crashed-recently", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.Fires, Fired(Replaced(signing, row.From, row.To)).count(row.Rule) == 1) << row.Case << ": " << row.Rule;
}
