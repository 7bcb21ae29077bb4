#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "Cp932.h"
#include "Files.h"
#include "Load.h"
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
