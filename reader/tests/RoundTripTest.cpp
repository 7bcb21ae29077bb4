#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "Cp932.h"
#include "Files.h"
#include "Load.h"
#include "Output.h"
#include "Parser.h"
#include "Render.h"

using namespace reader;

namespace {

std::string FirstDifference(const std::string& a, const std::string& b)
{
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    return "at byte " + std::to_string(at) + ": [" + Utf8(a.substr(at, 60)) + "] rendered as [" + Utf8(b.substr(at, 60)) + "]";
}

void ExpectRoundTrip(const std::string& name, const std::string& bytes, const Report& model)
{
    const std::string rendered = Render(model);
    EXPECT_TRUE(rendered == bytes) << name << ": " << FirstDifference(bytes, rendered);
}

std::string Problems(const Report& report)
{
    std::string text;
    for (const Problem& p : report.Problems) text += "\n  line " + std::to_string(p.Line) + ": " + Utf8(p.Message);
    return text;
}

// One line of a sample changed: what the JSON says at a place (null: nothing there),
// and the problem a damaged line gives (empty: none), naming the line changed as written.
struct TLineChange {
    std::string From, To, Where, Json, Problem;
};

void ExpectChange(const std::string& sample, const TLineChange& row)
{
    std::string bytes = sample;
    const size_t at = bytes.find(row.From);
    ASSERT_NE(std::string::npos, at) << row.From;
    bytes.replace(at, row.From.size(), row.To);
    const Loaded loaded = LoadBytes("row", bytes);
    ExpectRoundTrip(row.To, bytes, loaded.Model);
    const nlohmann::json json = nlohmann::json::parse(JsonLine(loaded));
    const nlohmann::json::json_pointer where(row.Where);
    EXPECT_EQ(nlohmann::json::parse(Utf8(row.Json)), json.contains(where) ? json[where] : nlohmann::json()) << row.To;
    if (row.Problem.empty()) {
        EXPECT_EQ(Status::Read, loaded.Model.State) << row.To << Problems(loaded.Model);
        return;
    }
    ASSERT_EQ(1u, loaded.Model.Problems.size()) << row.To << Problems(loaded.Model);
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + at, '\n') + 1, static_cast<long>(loaded.Model.Problems[0].Line)) << row.To;
    EXPECT_EQ(0u, Utf8(loaded.Model.Problems[0].Message).find(row.Problem)) << row.To << Problems(loaded.Model);
}

}  // namespace

// Reports the real program wrote under Wine as each Windows: every section
// found, nothing left over, and the bytes back from the model.
TEST(RoundTripTest, VersionMatrixReports)
{
    const struct {
        const char* Windows;
        const char* Product;
        const char* Edition;
        long long Build;
        const char* Closing;
    } rows[] = {
        {"win98", "Microsoft Windows 98", "SE", -1, "Windows 98"},
        {"nt40", "Microsoft Windows NT", "Workstation 4.0", 1381, "Windows NT 4.0"},
        {"win2k", "Microsoft Windows 2000", "Professional", 2195, "Windows 2000"},
        {"winxp", "Microsoft Windows XP", "Professional", 2600, "Windows XP"},
        {"vista", "Microsoft Windows Vista", "Professional", 6002, "Windows Vista"},
        // Recorded with Wine's "win7", which reports a server: the row names it so.
        {"win7", "Microsoft Windows 7", "Server 4.0", 7601, "Windows Server 2008 R2"},
        {"win8", "Microsoft Windows 8", "Professional", 9200, "Windows 8"},
        {"win81", "Microsoft Windows 8.1", "Professional", 9600, "Windows 8.1"},
        {"win10", "Microsoft Windows 10", "Professional", -2, "Windows 10"},
    };
    for (const auto& row : rows) {
        const std::string bytes = Sample(row.Windows);
        ASSERT_FALSE(bytes.empty()) << row.Windows;
        const Loaded loaded = LoadBytes(row.Windows, bytes);
        EXPECT_EQ(Status::Read, loaded.Model.State) << row.Windows << Problems(loaded.Model);
        ExpectRoundTrip(row.Windows, bytes, loaded.Model);
        const Facts& f = loaded.Data;
        EXPECT_EQ(row.Product, f.OsProduct) << row.Windows << ": " << f.OsRow;
        EXPECT_EQ(row.Edition, f.OsEdition) << row.Windows << ": " << f.OsRow;
        if (row.Build != -2) {
            EXPECT_EQ(row.Build, f.OsBuild) << row.Windows << ": " << f.OsRow;
        }
        EXPECT_EQ(0u, f.Windows.find(row.Closing)) << row.Windows << ": " << f.Windows;
        EXPECT_EQ("VM", f.Computer) << row.Windows;
        EXPECT_EQ("NVIDIA GeForce GTX 470", f.D3d9Description) << row.Windows;
        EXPECT_EQ(std::string(row.Windows) == "nt40", f.Processes.empty()) << row.Windows;
        EXPECT_EQ(std::string(row.Windows) == "win98", f.Services.empty()) << row.Windows;
        ASSERT_EQ(2u, f.Drives.size()) << row.Windows;
        EXPECT_EQ("C:\\", f.Drives[0].Root);
        EXPECT_GT(f.Drives[0].Total, 0);
        EXPECT_EQ(6, f.TrueFamily) << row.Windows;
        EXPECT_EQ(1u, f.Adapters.size()) << row.Windows;
        // Older reports' JSON has nothing of the closing section's newer lines.
        const std::string json = JsonLine(loaded);
        for (const char* key : {"\"preference\"", "\"direct3d\"", "\"display_details\"", "\"remote_session\"", "\"display_devices\"",
                                "\"processor_features\"", "\"firmware\"", "\"secure_boot\"", "\"tpm\"", "\"memory_integrity\"",
                                "\"test_signing\"", "\"security_software\"", "\"vc_runtime\"", "\"dotnet_framework\"",
                                "\"directx9_extras\"", "\"power_plan\"", "\"crashes\""})
            EXPECT_EQ(std::string::npos, json.find(key)) << row.Windows << ": " << key;
    }
}

// Every byte belongs to some item: line ends, a last line without one, and
// what is not a report's own shape all come back as they were.
TEST(RoundTripTest, AnyBytesComeBack)
{
    const std::string report = Sample("win7");
    std::string crlf;
    for (char c : report) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"CRLF line ends", crlf},
        {"cut in a table row", report.substr(0, report.find("| envcheck.exe") + 7)},
        {"cut in a double-byte character", report.substr(0, report.find("\x95\xa8\x97\x9d") + 1)},
        {"a line added", report.substr(0, 200) + "edited: by hand\n" + report.substr(200)},
        {"a row of other widths", report.substr(0, report.find("| services.exe")) + "| x |" + report.substr(report.find("| services.exe"))},
        {"a table border alone", "Process Enum:\n+---+\n"},
        {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"lines only", "\n\n\n"},
        {"a Windows 95 without names", report.substr(0, report.find("Microsoft Windows 7")) +
                                            "Microsoft Windows 95 Environment variables (partial list): \n  OS=x\n\n"},
    };
    for (const auto& c : cases) ExpectRoundTrip(c.first, c.second, Parse(c.second));
    const Loaded nameless = LoadBytes("95", report.substr(0, report.find("Microsoft Windows 7")) +
                                                "Microsoft Windows 95 Environment variables (partial list): \n  OS=x\n\n");
    ASSERT_NE(nullptr, nameless.Model.Find("environment"));
    EXPECT_EQ("Microsoft Windows 95", nameless.Data.OsProduct);
    // The row edited out of its columns is a problem, not a process of no name.
    const Loaded edited = LoadBytes("edited", cases[4].second);
    EXPECT_EQ(Status::Partial, edited.Model.State);
    EXPECT_EQ(LoadBytes("clean", report).Data.Processes.size() - 1, edited.Data.Processes.size());
    const Loaded windows = LoadBytes("crlf", crlf);
    EXPECT_EQ(Status::Read, windows.Model.State) << Problems(windows.Model);
    EXPECT_EQ("VM", windows.Data.Computer);
}

// Reports the Wine suites wrote: the fakes' whole reports under every failing
// call, and the version matrix. Each sidecar .keys file names what the fakes gave.
TEST(CorpusTest, EveryReportComesBackAndHoldsItsInputs)
{
    const char* root = std::getenv("ENVCHECK_READER_CORPUS");
    if (root == nullptr) GTEST_SKIP() << "ENVCHECK_READER_CORPUS names no folder";
    size_t reports = 0, keyed = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const auto path = entry.path();
        if (path.extension() != ".txt") continue;
        const std::string bytes = ReadAll(path);
        const Loaded loaded = LoadBytes(path.string(), bytes);
        ++reports;
        ASSERT_NE(Status::Unreadable, loaded.Model.State) << path << Problems(loaded.Model);
        ExpectRoundTrip(path.string(), bytes, loaded.Model);
        if (path.filename().string().rfind("matrix-", 0) == 0) {
            EXPECT_EQ(Status::Read, loaded.Model.State) << path << Problems(loaded.Model);
        }
        auto keys = path;
        keys.replace_extension(".keys");
        if (!std::filesystem::exists(keys)) continue;
        ++keyed;
        std::multimap<std::string, std::string> given;
        std::istringstream lines(ReadAll(keys));
        for (std::string line; std::getline(lines, line);)
            if (line.find('=') != std::string::npos) given.emplace(line.substr(0, line.find('=')), Utf8(line.substr(line.find('=') + 1)));
        const Facts& f = loaded.Data;
        auto has = [](const auto& list, auto field, const std::string& value) {
            for (const auto& element : list)
                if (element.*field == value) return true;
            return false;
        };
        const std::map<std::string, std::string> single = {
            {"computer", f.Computer}, {"user", f.User}, {"processor", f.CpuName}, {"adapter", f.D3d9Description}};
        for (const auto& [key, value] : given) {
            const auto field = single.find(key);
            if (field != single.end()) {
                EXPECT_EQ(value, field->second) << path << ": " << key;
            } else if (key == "process") {
                EXPECT_TRUE(has(f.Processes, &Facts::Process::Name, value)) << path << ": " << value;
            } else if (key == "service") {
                EXPECT_TRUE(has(f.Services, &Facts::Service::Name, value)) << path << ": " << value;
            } else if (key == "drive") {
                EXPECT_TRUE(has(f.Drives, &Facts::Drive::Root, value)) << path << ": " << value;
            } else {
                ADD_FAILURE() << keys << ": an input this test does not know: " << key;
            }
        }
    }
    EXPECT_GT(reports, 0u) << root << " holds no report";
    std::cout << "[ corpus   ] " << reports << " reports, " << keyed << " with their inputs\n";
}

// The closing section's lines for an enumeration that ended in an error are
// its own; a line no section has is named in its problem once, as written.
TEST(RoundTripTest, ClosingSectionInterruptions)
{
    const std::string report = Sample("win10");
    const std::string open = report.substr(0, report.size() - 1);  // before the closing blank line
    const Loaded read = LoadBytes("interrupted", open +
                                                     " ディスプレイの列挙に失敗しました。(HRESULT 0x887A0005)\n"
                                                     "グラフィックアダプタの列挙に失敗しました。(HRESULT 0x8007000E)\n\n");
    EXPECT_EQ(Status::Read, read.Model.State) << Problems(read.Model);
    const Loaded odd = LoadBytes("odd", open + "列挙\n\n");
    ASSERT_EQ(1u, odd.Model.Problems.size());
    EXPECT_EQ(std::string(u8"a line the section 'current' does not have: 列挙"), Utf8(odd.Model.Problems[0].Message));
}

// Shapes a whole report can have: every name call failed (Windows 98), no
// drive listed, and the DirectX files' dates as long as an English Windows writes them.
TEST(RoundTripTest, WholeReportsOfRareShapes)
{
    const std::string report = Sample("win10");
    const size_t names = report.find("Computer name:"), environment = report.find("Environment variables");
    const size_t drives = report.find("Drive : C:"), current = report.find("Current system information:");
    const std::string rule = "+---+------------------------------------------+------------------+------------+------------+---------------------+------------+\n";
    const std::string files = rule + "|   | ファイル名                               | バージョン       | 属性       | 言語       |                日付 |     サイズ |\n" + rule +
                              "|   | d3d9.dll                                 | 6.1.7601.17514   | 製品       | English    | 11/20/2010 13:16:06 |    1892864 |\n"
                              "|   | ddraw.dll                                | 6.1.7600.16385   | 製品       | English    | 7/14/2009 02:42:00 |     521216 |\n"
                              "|   | dsound.dll                               | 6.1.7600.16385   | 製品       | English    | 1/1/2009 02:41:00 |     453632 |\n" + rule;
    const std::string filesAt = "DxDialog DirectX File Infomation:\n";
    const struct {
        const char* Case;
        std::string Bytes;
    } rows[] = {
        {"no names", report.substr(0, names) + report.substr(environment)},
        {"no drives", report.substr(0, drives) + report.substr(current)},
        {"no drives, no closing section", report.substr(0, drives)},
        {"English file dates", report.substr(0, report.find(filesAt) + filesAt.size()) + files +
                                   report.substr(report.find(filesAt) + filesAt.size())},
    };
    for (const auto& row : rows) {
        const Loaded loaded = LoadBytes(row.Case, row.Bytes);
        EXPECT_EQ(Status::Read, loaded.Model.State) << row.Case << Problems(loaded.Model);
        ExpectRoundTrip(row.Case, row.Bytes, loaded.Model);
    }
}

// The closing section's newer lines, each changed in the hybrid laptop's report:
// what the JSON says at a place (null: nothing there), and the problem a damaged line gives.
TEST(RoundTripTest, ClosingSectionNewerLines)
{
    const std::string hybrid = Hybrid();
    const std::string d3d = " Direct3D: feature level 12_1, Direct3D 12 shader model 6.6\n";
    const std::string display = "\\\\.\\DISPLAY1 1920 x 1080 60 Hz (panel up to 144 Hz), scale 125%, primary, HDR off, internal, \"Sharp LQ156M1JW\"";
    const std::string amd = " AMD Radeon RX 580: driver 31.0.21001.45002 of 2023-05-12, problem 43 (Windows stopped this device because it reported problems)\n";
    const std::string adapter = "/facts/current/adapters/0", device = "/facts/current/display_devices/2";
    const TLineChange rows[] = {
        {"", "", adapter + "/preference", R"({"high_performance":false,"minimum_power":true})", ""},
        {" Preference: minimum power", " Preference: high performance, minimum power", adapter + "/preference",
         R"({"high_performance":true,"minimum_power":true})", ""},
        {" Preference: minimum power", " Preference: fastest", adapter + "/preference", "null", "a preference envcheck does not write: Preference: fastest"},
        {"", "", adapter + "/direct3d", R"({"direct3d12":true,"feature_level":"12_1","level":1201,"shader_model":"6.6"})", ""},
        {d3d, " Direct3D: feature level unknown\n", adapter + "/direct3d", R"({"direct3d12":false,"feature_level":"","level":null,"shader_model":""})", ""},
        {d3d, " Direct3D: feature level unknown, Direct3D 12 shader model 6.0\n", adapter + "/direct3d",
         R"({"direct3d12":true,"feature_level":"","level":null,"shader_model":"6.0"})", ""},
        {d3d, " Direct3D: feature level 9_3, Direct3D 12\n", adapter + "/direct3d", R"({"direct3d12":true,"feature_level":"9_3","level":903,"shader_model":""})", ""},
        {d3d, " Direct3D: feature level twelve\n", adapter + "/direct3d", "null", "a Direct3D line envcheck does not write: Direct3D: feature level twelve"},
        {"", "", adapter + "/display_details/0",
         R"({"connection":"internal","device":"\\\\.\\DISPLAY1","hdr":"off","height":1080,"monitor":"Sharp LQ156M1JW","panel_refresh":144,"primary":true,"refresh":60,"scale":125,"width":1920})", ""},
        {display, "\\\\.\\DISPLAY2, scale unknown, HDR on, HDMI", adapter + "/display_details/0",
         R"({"connection":"HDMI","device":"\\\\.\\DISPLAY2","hdr":"on","height":null,"monitor":"","panel_refresh":null,"primary":false,"refresh":null,"scale":null,"width":null})", ""},
        {"internal, \"Sharp LQ156M1JW\"", "other, \"Dell, \"Ultra\", 27\"", adapter + "/display_details/0/monitor", R"("Dell, \"Ultra\", 27")", ""},
        {"HDR off, internal", "HDR maybe, internal", adapter + "/display_details", "null", "a display line envcheck does not write"},
        {"", "", "/facts/current/remote_session", "true", ""},
        {" Remote session: yes", " Remote session: no", "/facts/current/remote_session", "null", "a remote session line envcheck does not write"},
        {"", "", device, R"({"basic_driver":false,"driver_date":"2023-05-12","driver_version":"31.0.21001.45002","meaning":"Windows stopped this device because it reported problems","name":"AMD Radeon RX 580","problem":43,"state":"problem"})", ""},
        {amd, " Dock: DisplayLink: driver 11.1 of 2023-01-10, working\n", device + "/name", R"("Dock: DisplayLink")", ""},
        {amd, " AMD Radeon RX 580: driver 31.0.15.5222, disabled\n", device,
         R"({"basic_driver":false,"driver_date":"","driver_version":"31.0.15.5222","meaning":"","name":"AMD Radeon RX 580","problem":22,"state":"disabled"})", ""},
        {amd, " Odd: driver unknown, problem 22\n", device + "/state", R"("disabled")", ""},
        {amd, " Odd Adapter (friendly): driver unknown, problem 99\n", device,
         R"j({"basic_driver":false,"driver_date":"","driver_version":"","meaning":"","name":"Odd Adapter (friendly)","problem":99,"state":"problem"})j", ""},
        {amd, " Silent: driver unknown of 2026-12-10, unknown (no vendor driver)\n", device,
         R"({"basic_driver":true,"driver_date":"2026-12-10","driver_version":"","meaning":"","name":"Silent","problem":null,"state":"unknown"})", ""},
        {amd, " Broken: Adapter, working\n", device + "/name", R"("Microsoft Basic Display Adapter")", "a display device's line has no ': driver ': Broken: Adapter, working"},
        {amd, " Odd: driver 1.0, problem 4294967296\n", device + "/name", R"("Microsoft Basic Display Adapter")", "the problem code of a display device is out of range: Odd"},
        {amd, " Odd: driver 1.0 of 11/9/2022, working\n", device + "/name", R"("Microsoft Basic Display Adapter")", "a display device's driver is not written as envcheck writes it"},
    };
    for (const TLineChange& row : rows) ExpectChange(hybrid, row);
}

// A problem quotes at most 80 bytes of its line, and only whole characters of them.
TEST(RoundTripTest, ProblemQuotesWholeCharacters)
{
    // The test's own literals are cp932, as a report's text.
    std::string words;
    for (int i = 0; i < 40; ++i) words += "日本語";
    std::string bytes = Hybrid();
    const std::string d3d = " Direct3D: feature level 12_1, Direct3D 12 shader model 6.6\n";
    bytes.replace(bytes.find(d3d), d3d.size(), " Direct3D: x" + words + "\n");
    const Loaded loaded = LoadBytes("long", bytes);
    ASSERT_EQ(1u, loaded.Model.Problems.size()) << Problems(loaded.Model);
    // "Direct3D: x" and 34 two-byte characters fill 79 of the 80 bytes.
    EXPECT_EQ("a Direct3D line envcheck does not write: Direct3D: x" + words.substr(0, 34 * 2),
              loaded.Model.Problems[0].Message);
}

// Windows 2000 has no DXGI: the display devices follow its line; the list is the
// closing section's own when a report follows in the same file.
TEST(RoundTripTest, DisplayDevicesWithoutAdapters)
{
    const std::string report = Sample("win2k");
    const std::string closing = report.substr(0, report.find("Graphics adapter 0:")) +
                                "Display devices:\n Wine Adapter: driver unknown of 2026-12-10, working\n\n";
    const std::string noDxgi = closing.substr(0, closing.find(" Power: AC\n") + 11) + " DXGIが利用できません。\n\n" +
                               closing.substr(closing.find("Display devices:"));
    const std::vector<Loaded> all = LoadAll("two", noDxgi + Sample("win10"));
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ(Status::Read, all[0].Model.State) << Problems(all[0].Model);
    ExpectRoundTrip("no DXGI", noDxgi, all[0].Model);
    ASSERT_EQ(1u, all[0].Data.DisplayDevices.size());
    EXPECT_EQ("Wine Adapter", all[0].Data.DisplayDevices[0].Name);
    EXPECT_EQ("2026-12-10", all[0].Data.DisplayDevices[0].DriverDate);
    EXPECT_EQ(nullptr, all[1].Model.Find("preface")) << "the list went with the next report";
}

// The samples with the closing section's newer lines: read clean, and the bytes back.
TEST(RoundTripTest, NewerSamples)
{
    for (const char* name : {"hybrid-laptop", "gaming-pc-win11", "win10-test-signing"}) {
        const std::string bytes = Named(name);
        ASSERT_FALSE(bytes.empty()) << name;
        const Loaded loaded = LoadBytes(name, bytes);
        EXPECT_EQ(Status::Read, loaded.Model.State) << name << Problems(loaded.Model);
        ExpectRoundTrip(name, bytes, loaded.Model);
    }
}

// The Windows block's newer lines and the crashes, each changed in the test-signing sample:
// what the JSON says at a place (null: nothing there), and the problem a damaged line gives.
TEST(RoundTripTest, WindowsBlockAndCrashLines)
{
    const std::string sample = Named("win10-test-signing");
    const std::string at = "/facts/current/", eset = "ESET Security (on, out of date)";
    const std::string features = "SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX (off in Windows) AVX2 (off in Windows) FMA3 (off in Windows)";
    const std::string crashes = sample.substr(sample.find(" 2026-12-08"), sample.rfind("\n\n") + 1 - sample.find(" 2026-12-08"));
    const std::string adapter = sample.substr(sample.find("Graphics adapter 0:"), sample.find("Recent program") - sample.find("Graphics adapter 0:"));
    const TLineChange rows[] = {
        {"", "", at + "processor_features", R"({"known":true,"names":["SSE3","SSSE3","SSE4.1","SSE4.2","POPCNT","AVX","AVX2","FMA3"],"off_in_windows":["AVX","AVX2","FMA3"]})", ""},
        {features, "unknown", at + "processor_features", R"({"known":false,"names":[],"off_in_windows":[]})", ""},
        {features, "SSE4.2 SSE3", at + "processor_features", "null", "a line 'Processor features' envcheck does not write"},
        {features, "SSE3 (off in Windows)", at + "processor_features", "null", "a line 'Processor features' envcheck does not write"},
        {"UEFI, Secure Boot off", "BIOS", at + "secure_boot", "null", ""},
        {"UEFI, Secure Boot off", "UEFI, Secure Boot maybe", at + "firmware", "null", "a line 'Firmware' envcheck does not write: Firmware: UEFI"},
        {"", "", at + "security_software/1", R"({"name":"ESET Security","state":"on","definitions":"out of date"})", ""},
        // A name holding parentheses and "; " of its own is read from its end.
        {eset, "Kaspersky (Free); Total (snoozed, out of date)", at + "security_software/1", R"({"name":"Kaspersky (Free); Total","state":"snoozed","definitions":"out of date"})", ""},
        {"Windows Defender Antivirus (off, up to date); " + eset, "none", at + "security_software", "[]", ""},
        {eset, "ESET Security (on)", at + "security_software", "null", "a line 'Security software' envcheck does not write"},
        {"x86 missing, x64 14.29.30133", "x86 installed", at + "vc_runtime", R"({"x86":"installed","x64":""})", ""},
        {"x86 missing", "x86 new", at + "vc_runtime", "null", "a line 'Visual C++ runtime' envcheck does not write"},
        {" .NET Framework: 4.8", " .NET Framework: 5.0", at + "dotnet_framework", "null", "a line '.NET Framework' envcheck does not write"},
        {"none (missing: d3dx9_43 d3dx10_43 d3dx11_43 d3dcompiler_43 xinput1_3 XAudio2_7 X3DAudio1_7 xactengine3_7)",
         "d3dx9_43 xinput1_3 d3dcompiler_43 (missing: X3DAudio1_7)", at + "directx9_extras", R"({"present":["d3dx9_43","xinput1_3","d3dcompiler_43"],"missing":["X3DAudio1_7"]})", ""},
        {"none (missing: d3dx9_43", "d3dx9_43 (missing: d3dx9_43", at + "directx9_extras", "null", "a line 'DirectX 9 extras' envcheck does not write"},
        {"", "", at + "power_plan", R"({"name":"バランス","battery_saver":"off"})", ""},
        {"バランス, battery saver off", "Gaming, Ultimate", at + "power_plan", R"({"name":"Gaming, Ultimate","battery_saver":""})", ""},
        // A program's name of blanks, in Japanese.
        {"", "", at + "crashes/0", R"({"time":"2026-12-08 22:14:05","program":"ゲーム ランチャー.exe","program_version":"3.1.0.7","module":"KERNELBASE.dll","module_version":"10.0.19041.5129","exception":"0xe0434352","offset":"0x000000000002d3a2"})", ""},
        // Windows XP's line has no exception.
        {crashes, " 2009-05-01 10:00:00 game.exe 1.0.0.1, module d3d9.dll 5.3.2600.5512, offset 0x0001c4a5\n", at + "crashes",
         R"([{"time":"2009-05-01 10:00:00","program":"game.exe","program_version":"1.0.0.1","module":"d3d9.dll","module_version":"5.3.2600.5512","exception":"","offset":"0x0001c4a5"}])", ""},
        {crashes, " (none)\n", at + "crashes", "[]", ""},
        // Without adapters the list follows the Windows block's blank line.
        {adapter, "", at + "crashes/1/module", R"("d3d9.dll")", ""},
        {", offset 0x0000000000071c2e", "", at + "crashes/1", "null", "a crash line envcheck does not write: 2026-11-20"},
    };
    for (const TLineChange& row : rows) ExpectChange(sample, row);
}
