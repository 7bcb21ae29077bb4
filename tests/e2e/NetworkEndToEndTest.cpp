#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/Envcheck.h"
#include "info/Registry.h"

namespace {

typedef ULONG(WINAPI* GetAdaptersInfoFunction)(PIP_ADAPTER_INFO, PULONG);

// What the test itself is told of the adapters.
std::vector<IP_ADAPTER_INFO> AdaptersSeenHere()
{
    char directory[MAX_PATH] = {};
    GetSystemDirectoryA(directory, MAX_PATH);
    HMODULE library = LoadLibraryA((std::string(directory) + "\\iphlpapi.dll").c_str());
    std::vector<IP_ADAPTER_INFO> adapters;
    GetAdaptersInfoFunction get =
        library ? reinterpret_cast<GetAdaptersInfoFunction>(
                      reinterpret_cast<void*>(GetProcAddress(library, "GetAdaptersInfo")))
                : nullptr;
    ULONG size = 0;
    if (get != nullptr && get(nullptr, &size) == ERROR_BUFFER_OVERFLOW) {
        std::vector<BYTE> buffer(size);
        if (get(reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()), &size) == ERROR_SUCCESS)
            for (auto* at = reinterpret_cast<PIP_ADAPTER_INFO>(buffer.data()); at != nullptr; at = at->Next)
                adapters.push_back(*at);
    }
    if (library != nullptr) FreeLibrary(library);
    return adapters;
}

std::string CardDescription(const std::string& adapterName)
{
    const std::string cards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
    TRegistry list;
    std::string found;
    if (!list.OpenKey(HKEY_LOCAL_MACHINE, cards)) return found;
    list.EnumKeys();
    for (const std::string& subkey : list.SubKeys) {
        TRegistry card;
        if (!card.OpenKey(HKEY_LOCAL_MACHINE, cards + "\\" + subkey)) continue;
        if (card.ReadValue("ServiceName") && card.DataText() == adapterName && card.ReadValue("Description"))
            found = card.DataText();
        card.CloseKey();
    }
    list.CloseKey();
    return found;
}

}  // namespace

TEST(NetworkEndToEndTest, EveryAdapterWithItsAddressesAndCardLabel)
{
    const std::vector<IP_ADAPTER_INFO> adapters = AdaptersSeenHere();
    if (adapters.empty()) GTEST_SKIP() << "Wine reports no adapter here";
    // Wine makes the card entries at some point of its session: they are read
    // just before and just after the report, and the label follows either.
    std::vector<std::string> cardsBefore;
    for (const IP_ADAPTER_INFO& adapter : adapters) cardsBefore.push_back(CardDescription(adapter.AdapterName));
    const std::string report = HeadlessReport("network.txt");
    ASSERT_FALSE(report.empty()) << "no report";
    const size_t section = report.find("Network Infomation:\nHost Name: ");
    ASSERT_NE(std::string::npos, section) << report;
    const std::string text = report.substr(section, report.find("\n\n", report.find("AdapterName: ", section)) - section);

    size_t at = 0;
    for (size_t i = 0; i < adapters.size(); ++i) {
        const IP_ADAPTER_INFO& adapter = adapters[i];
        std::string label;
        size_t found = std::string::npos;
        for (const std::string& description : {cardsBefore[i], CardDescription(adapter.AdapterName)}) {
            label = "AdapterName: " + (description.empty() ? "" : description + " - ") + adapter.AdapterName + "\n";
            found = text.find(label, at);
            if (found != std::string::npos) break;
        }
        at = found;
        ASSERT_NE(std::string::npos, at) << label << " missing or out of order in\n" << text;
        std::string hardware = "Physical Address: ";
        for (UINT i = 0; i < adapter.AddressLength && i < sizeof(adapter.Address); ++i) {
            char piece[4];
            snprintf(piece, sizeof(piece), "%02X-", adapter.Address[i]);
            hardware += piece;
        }
        const std::string next = text.substr(at, text.find("AdapterName: ", at + 1) - at);
        EXPECT_NE(std::string::npos, next.find(hardware + "\n")) << next;
        EXPECT_NE(std::string::npos, next.find(std::string("IP Address: ") + adapter.IpAddressList.IpAddress.String + "\n"))
            << next;
    }
}
