#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fault/FaultRun.h"

// Whole reports from the fake platforms: the seven collectors in the order of
// the program, their elements one after another as the saved file has them.
// With ENVCHECK_REPORT_DIR set, each report is written there, and beside each
// normal run the inputs the fakes gave it.

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

void Append(std::string& report, const Lines& lines)
{
    for (const std::string& element : lines) report += element;
}

// One run of every collector, each on fakes of its own that end before the
// next collector's begin (the functions the fakes hand out reach the newest).
std::string WholeReport(Keys& keys, const OsVersionRecord& version)
{
    std::string report;
    {
        TFakeSystem machine;
        SystemMachine(machine);
        Append(report, RunSystem(machine, version));
        const std::string& processor = machine.Keys[ProcessorKey]["ProcessorNameString"].Bytes;
        keys.push_back({"computer", machine.ComputerName});
        keys.push_back({"user", machine.UserName});
        keys.push_back({"processor", processor.substr(0, processor.find('\0'))});
    }
    {
        TFakeApi api;
        DirectXMachine(api);
        Append(report, RunDirectX(api));
        if (api.Direct3D.Identifier.Description[0] != '\0')
            keys.push_back({"adapter", api.Direct3D.Identifier.Description});
    }
    {
        TFakeProcessApi api;
        ProcessMachine(api);
        const int calls = FaultPlan.Calls;
        Append(report, RunProcess(api, version));
        // A collector that asks nothing of its platform (on NT 4.0) is given none of it.
        if (FaultPlan.Calls != calls)
            for (const TFakeProcessApi::TProcess& process : api.Processes) keys.push_back({"process", process.ExeFile});
    }
    {
        TFakeServiceApi api;
        ServiceMachine(api);
        const int calls = FaultPlan.Calls;
        Append(report, RunService(api, version));
        if (FaultPlan.Calls != calls)
            for (const auto& type : api.Services)
                for (const TFakeServiceApi::TService& service : type.second) keys.push_back({"service", service.Name});
    }
    {
        TFakeNetworkApi api;
        TFakeSystem registry;
        NetworkMachine(api, registry);
        Append(report, RunNetwork(api, registry, version));
    }
    {
        TFakeDriveApi api;
        ThreeDrives(api);
        Append(report, RunDrive(api));
        for (size_t at = 0; at < api.List.size(); at = api.List.find('\0', at) + 1)
            keys.push_back({"drive", api.List.c_str() + at});
    }
    {
        TFakeCurrentSystem machine;
        TFakeSystem registry;
        CurrentMachine(machine, registry);
        Append(report, RunCurrent(machine, registry, version));
    }
    return report;
}

// The folder the reports go to as a Windows path, or empty when none is asked for.
std::string ReportFolder()
{
    const char* folder = std::getenv("ENVCHECK_REPORT_DIR");
    if (folder == nullptr || folder[0] == '\0') return std::string();
    std::string path = folder[0] == '/' ? std::string("Z:") + folder : std::string(folder);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    EXPECT_TRUE(file.good()) << "cannot write " << path;
}

// The reports of an earlier run go, so the folder holds this run's only.
void ClearFolder(const std::string& folder)
{
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\fake-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do DeleteFileA((folder + "\\" + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
}

}  // namespace

TEST(FakeReportsTest, WritesWholeReports)
{
    struct {
        const char* Name;
        DWORD Platform, Major, Minor;
        bool Ex;
        const char* ServicePack;
    } const shapes[] = {{"nt4sp6", VER_PLATFORM_WIN32_NT, 4, 0, false, "Service Pack 6"},
                        {"xpsp3", VER_PLATFORM_WIN32_NT, 5, 1, true, "Service Pack 3"},
                        {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, false, ""},
                        {"win10", VER_PLATFORM_WIN32_NT, 10, 0, true, ""}};
    const std::string folder = ReportFolder();
    if (!folder.empty()) ClearFolder(folder);
    std::set<std::string> normals;
    size_t reports = 0;
    for (const auto& shape : shapes) {
        const OsVersionRecord version = WindowsVersion(shape.Platform, shape.Major, shape.Minor, 2600, shape.ServicePack, shape.Ex);
        const std::string base = folder + "\\fake-" + shape.Name + "-";
        // The normal run, counting the calls that can fail.
        FaultPlan.Reset(0, true);
        Keys keys;
        const std::string normal = WholeReport(keys, version);
        const std::vector<const char*> calls = FaultPlan.Names;
        EXPECT_FALSE(normal.empty()) << shape.Name;
        normals.insert(normal);
        if (!folder.empty()) {
            std::string sidecar;
            for (const auto& key : keys) sidecar += key.first + "=" + key.second + "\n";
            WriteBytes(base + "0.txt", normal);
            WriteBytes(base + "0.keys", sidecar);
        }
        ++reports;
        // Then each of those calls failing in turn.
        for (size_t n = 1; n <= calls.size(); ++n) {
            SCOPED_TRACE(std::string(shape.Name) + ": call " + std::to_string(n) + " of " +
                         std::to_string(calls.size()) + " (" + calls[n - 1] + ") fails");
            FaultPlan.Reset(static_cast<int>(n));
            Keys ignored;
            const std::string report = WholeReport(ignored, version);
            EXPECT_STREQ(calls[n - 1], FaultPlan.Failed) << "the failing call is not the one counted";
            EXPECT_FALSE(report.empty());
            if (!folder.empty()) WriteBytes(base + std::to_string(n) + ".txt", report);
            ++reports;
        }
        FaultPlan.Reset();
        std::cout << "[ reports  ] " << shape.Name << ": the normal run and " << calls.size()
                  << " with a call failing\n";
    }
    EXPECT_EQ(sizeof(shapes) / sizeof(shapes[0]), normals.size()) << "two shapes gave the same normal report";
    std::cout << "[ reports  ] " << reports << " reports" << (folder.empty() ? "" : " written to " + folder) << "\n";
}
