#include <gtest/gtest.h>

#include <iostream>
#include <set>
#include <string>

#include "fault/FaultRun.h"

namespace {

// Runs once to count the calls that can fail, then once more for each of
// them with that call failing. The calls before it are those of the first run.
template <typename Run>
void FailEachCall(const std::string& name, Run run)
{
    FaultPlan.Reset(0, true);
    run(true);
    const std::vector<const char*> calls = FaultPlan.Names;
    ASSERT_FALSE(calls.empty()) << name << ": no call can fail";
    for (size_t n = 1; n <= calls.size(); ++n) {
        SCOPED_TRACE(name + ": call " + std::to_string(n) + " of " + std::to_string(calls.size()) + " (" +
                     calls[n - 1] + ") fails");
        FaultPlan.Reset(static_cast<int>(n));
        run(false);
        EXPECT_STREQ(calls[n - 1], FaultPlan.Failed) << "the failing call is not the one counted";
    }
    FaultPlan.Reset();
    std::set<std::string> kinds(calls.begin(), calls.end());
    std::string list;
    for (const std::string& kind : kinds) list += (list.empty() ? "" : ", ") + kind;
    std::cout << "[ faults   ] " << name << ": " << calls.size() << " calls failed one by one: " << list << "\n";
}

}  // namespace

TEST(FaultTest, Drive)
{
    for (bool extended : {true, false}) {
        FailEachCall(extended ? "drive" : "drive without GetDiskFreeSpaceExA", [&](bool) {
            TFakeDriveApi api;
            ThreeDrives(api);
            if (!extended) api.MissingFunctions.insert("GetDiskFreeSpaceExA");
            RunDrive(api);
        });
    }
}

TEST(FaultTest, System)
{
    struct {
        const char* Name;
        DWORD Major, Minor;
        bool Ex;
        const char* ServicePack;
    } const windows[] = {{"system on NT 4.0 SP6", 4, 0, false, "Service Pack 6"},
                         {"system on XP", 5, 1, true, "Service Pack 3"}};
    for (const auto& windows : windows) {
        const OsVersionRecord version =
            WindowsVersion(VER_PLATFORM_WIN32_NT, windows.Major, windows.Minor, 2600, windows.ServicePack, windows.Ex);
        Lines normal;
        FailEachCall(windows.Name, [&](bool counting) {
            TFakeSystem machine;
            SystemMachine(machine);
            if (counting)
                normal = RunSystem(machine, version);
            else
                RunSystem(machine, version, &normal);
        });
    }
}

TEST(FaultTest, DirectX)
{
    FailEachCall("directx", [](bool) {
        TFakeApi api;
        DirectXMachine(api);
        RunDirectX(api);
    });
}

TEST(FaultTest, Process)
{
    for (DWORD platform : {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS}) {
        const OsVersionRecord version = WindowsVersion(platform, platform == VER_PLATFORM_WIN32_NT ? 6 : 4, 10);
        FailEachCall(platform == VER_PLATFORM_WIN32_NT ? "process on Vista" : "process on 98", [&](bool) {
            TFakeProcessApi api;
            ProcessMachine(api);
            RunProcess(api, version);
        });
    }
}

TEST(FaultTest, Service)
{
    const OsVersionRecord version = XpVersion();
    FailEachCall("service", [&](bool) {
        TFakeServiceApi api;
        ServiceMachine(api);
        RunService(api, version);
    });
}

TEST(FaultTest, Network)
{
    const OsVersionRecord version = XpVersion();
    Lines normal;
    FailEachCall("network", [&](bool counting) {
        TFakeNetworkApi api;
        TFakeSystem registry;
        NetworkMachine(api, registry);
        if (counting)
            normal = RunNetwork(api, registry, version);
        else
            RunNetwork(api, registry, version, &normal);
    });
}

TEST(FaultTest, Current)
{
    FailEachCall("current system", [&](bool) {
        TFakeCurrentSystem machine;
        TFakeSystem registry;
        CurrentMachine(machine, registry);
        RunCurrent(machine, registry, WindowsVersion(VER_PLATFORM_WIN32_NT, 10, 0, 19045));
    });
}
