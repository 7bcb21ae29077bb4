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

// The collector run once on a row's machine, and the books every run must
// balance: all it took given back, libraries only from the system directory
// and freed after their objects, one DXGI factory, at most one Direct3D 12
// device per adapter, and the thread's DPI awareness put back.
struct TMachineRun {
    TFakeCurrentSystem Machine;
    TFakeSystem Registry;
    TCurrentSystemInfo Info{Machine, Registry, Registry};

    explicit TMachineRun(const TMachineRow& row)
    {
        row.Build(Machine, Registry);
        Info.Collect(row.Told);
        EXPECT_EQ("", Machine.Held());
        EXPECT_EQ(0, Machine.ObjectsAliveAtFree) << "a library freed before its objects";
        for (const std::string& path : Machine.LoadedPaths)
            EXPECT_EQ(0u, path.find("C:\\WINDOWS\\system32\\")) << path << ": not from the system directory";
        EXPECT_EQ(Registry.Open.size(), static_cast<size_t>(Registry.Closes)) << "each opened key is closed once";
        EXPECT_LE(Machine.Factories, 1);
        EXPECT_LE(Machine.Direct3D12Devices, static_cast<int>(Machine.Gpus.size()));
        if (!Machine.Awareness.empty()) {
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE, Machine.Awareness.front());
            EXPECT_EQ(DPI_AWARENESS_CONTEXT_UNAWARE, Machine.Awareness.back()) << "the thread's awareness is put back";
            EXPECT_EQ(2u, Machine.Awareness.size());
        }
    }
};

#endif
