#ifndef ENVCHECK_TESTS_FAULT_FAULTRUN_H
#define ENVCHECK_TESTS_FAULT_FAULTRUN_H

#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "fakes/drive/FakeDriveApi.h"
#include "fakes/FaultPlan.h"
#include "fakes/current/FakeCurrentSystem.h"
#include "fakes/directx/FakeDxDiag.h"
#include "fakes/network/FakeNetworkApi.h"
#include "fakes/process/FakeProcessApi.h"
#include "fakes/service/FakeServiceApi.h"
#include "fakes/system/FakeSystem.h"
#include "info/BaseInfo.h"
#include "info/OsVersion.h"
#include "support/SectionText.h"

// The machines every run starts from, and what every run's lines must satisfy.

using Lines = std::vector<std::string>;

inline Lines LinesOf(const TBaseInfo& info) { return Lines(info.GetLines().begin(), info.GetLines().end()); }

inline size_t CountOf(const TBaseInfo& info, const std::string& element)
{
    return static_cast<size_t>(std::count(info.GetLines().begin(), info.GetLines().end(), element));
}

// Any collector: elements non-empty, without NUL bytes, of a bounded size; the heading first.
inline void CheckElements(const TBaseInfo& info, const char* heading = nullptr)
{
    for (const std::string& element : info.GetLines()) {
        EXPECT_FALSE(element.empty()) << "an empty element";
        EXPECT_EQ(std::string::npos, element.find('\0')) << "a NUL byte in: " << element.substr(0, 80);
        EXPECT_LE(element.size(), 2100u) << "longer than any buffer it came from: " << element.substr(0, 80);
    }
    if (heading == nullptr) return;
    ASSERT_FALSE(info.GetLines().empty()) << "no heading";
    EXPECT_EQ(heading, info.GetLines().front());
}

// Each message occurs only as a whole element.
inline void CheckWhole(const TBaseInfo& info, const std::vector<std::string>& messages)
{
    std::set<size_t> starts;
    std::string text;
    for (const std::string& element : info.GetLines()) {
        starts.insert(text.size());
        text += element;
        for (const std::string& message : messages)
            if (element.find(message) != std::string::npos) {
                EXPECT_EQ(message, element) << "a message inside an element";
            }
    }
    for (const std::string& message : messages)
        for (size_t at = text.find(message); at != std::string::npos; at = text.find(message, at + 1))
            EXPECT_TRUE(starts.count(at) != 0) << "a message split over elements: " << message;
}

// Elements that begin with one of the prefixes carry a value of the normal run or are left out.
inline void CheckValuesFrom(const TBaseInfo& info, const Lines& normal, const std::vector<std::string>& prefixes,
                            const Lines& alternatives = Lines())
{
    for (const std::string& element : info.GetLines())
        for (const std::string& prefix : prefixes)
            if (element.compare(0, prefix.size(), prefix) == 0) {
                EXPECT_TRUE(std::count(normal.begin(), normal.end(), element) != 0 ||
                            std::count(alternatives.begin(), alternatives.end(), element) != 0)
                    << "a value the platform never gave: " << element.substr(0, 80);
            }
}

// The rules and rows of a text's table (lines opening with '+' or '|') have one width;
// the header may be wider, as it is over a narrow column.
inline void CheckTableWidths(const std::string& text, const std::string& header)
{
    size_t width = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.empty() || (line[0] != '+' && line[0] != '|') || line.compare(0, header.size(), header) == 0) continue;
        if (width == 0) width = line.size();
        EXPECT_EQ(width, line.size()) << "a ragged table line: " << line.substr(0, 80);
    }
}

// Machines of a normal run.
const char* const ProcessorKey = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const char* const CardsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";

void SystemMachine(TFakeSystem& machine);
void DirectXMachine(TFakeApi& api);
void ProcessMachine(TFakeProcessApi& api);
void ServiceMachine(TFakeServiceApi& api);
void NetworkMachine(TFakeNetworkApi& api, TFakeSystem& registry);
void CurrentMachine(TFakeCurrentSystem& machine, TFakeSystem& registry);

// Each collector's run on its fakes: Collect never throws, and the lines and
// the fakes' books satisfy the invariants. The normal run's lines, where given,
// bound the values a run may show.
Lines RunDrive(TFakeDriveApi& api);
Lines RunSystem(TFakeSystem& machine, const OsVersionRecord& version, const Lines* normal = nullptr);
Lines RunDirectX(TFakeApi& api);
Lines RunProcess(TFakeProcessApi& api, const OsVersionRecord& version);
Lines RunService(TFakeServiceApi& api, const OsVersionRecord& version);
Lines RunNetwork(TFakeNetworkApi& api, TFakeSystem& registry, const OsVersionRecord& version,
                 const Lines* normal = nullptr);
Lines RunCurrent(TFakeCurrentSystem& machine, TFakeSystem& registry, const OsVersionRecord& version);

#endif
