#ifndef ENVCHECK_TESTS_CURRENT_MACHINERUN_H
#define ENVCHECK_TESTS_CURRENT_MACHINERUN_H

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/system/FakeSystem.h"
#include "info/current/CurrentSystemInfo.h"

// A table row: the machine to build, the text its section must give, and
// what GetVersionExA told the run.
struct TMachineRow {
    const char* Name;
    std::function<void(TFakeCurrentSystem&, TFakeSystem&)> Build;
    std::string Expected;
    OsVersionRecord Told = {};
};

// The books every run must balance, whatever failed: all it took given back,
// libraries freed after their objects, each key closed once, one DXGI factory
// and at most one Direct3D 12 device per adapter.
inline void CheckBooks(const TFakeCurrentSystem& machine, const TFakeSystem& registry)
{
    EXPECT_EQ("", machine.Held());
    EXPECT_EQ(0, machine.ObjectsAliveAtFree) << "a library freed before its objects";
    EXPECT_EQ(registry.Open.size(), static_cast<size_t>(registry.Closes)) << "each opened key is closed once";
    EXPECT_LE(machine.Factories, 1);
    EXPECT_LE(machine.Direct3D12Devices, static_cast<int>(machine.Gpus.size()));
}

// The collector run once on a row's machine: its books balanced, libraries
// only from the system directory, and the thread's DPI awareness put back.
struct TMachineRun {
    TFakeCurrentSystem Machine;
    TFakeSystem Registry;
    TCurrentSystemInfo Info{Machine, Registry, Registry};

    explicit TMachineRun(const TMachineRow& row)
    {
        row.Build(Machine, Registry);
        Info.Collect(row.Told);
        CheckBooks(Machine, Registry);
        for (const std::string& path : Machine.LoadedPaths)
            EXPECT_EQ(0u, path.find("C:\\WINDOWS\\system32\\")) << path << ": not from the system directory";
        if (!Machine.Awareness.empty()) {
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, Machine.Awareness.front());
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_UNAWARE, Machine.Awareness.back()) << "the thread's awareness is put back";
            EXPECT_EQ(2u, Machine.Awareness.size());
        }
    }
};

#endif
