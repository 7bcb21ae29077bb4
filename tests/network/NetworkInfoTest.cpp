#include <gtest/gtest.h>

#include <string>

#include "fakes/network/FakeNetworkApi.h"
#include "fakes/system/FakeSystem.h"
#include "info/network/NetworkInfo.h"
#include "support/SectionText.h"

namespace {

const char* const Cards = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const std::string Heading = "Network Infomation:\n";
const std::string Parameters =
    "Host Name: PLAYER-PC\nDomain Name: example.jp\nDNS Servers: 192.168.0.1\nNodeType: Hybrid\n\n";

const OsVersionRecord Windows98 = Windows98Version();

class NetworkInfoTest : public ::testing::Test {
protected:
    std::string Run(TFakeNetworkApi& api, const OsVersionRecord& version = XpVersion())
    {
        TNetworkInfo info(api, Registry);
        info.Collect(version);
        EXPECT_EQ(0, api.OpenLibraries()) << "iphlpapi.dll was left loaded";
        return SectionText(info);
    }
    std::string Run() { return Run(Api); }
    // The adapter part: what follows the parameters block.
    std::string Adapters(const OsVersionRecord& version = XpVersion())
    {
        return Run(Api, version).substr(Heading.size() + Parameters.size());
    }
    void Card(const std::string& subkey, const std::string& service, const std::string& description)
    {
        Registry.Keys[Cards];
        Registry.SetString(std::string(Cards) + "\\" + subkey, "ServiceName", service);
        Registry.SetString(std::string(Cards) + "\\" + subkey, "Description", description);
    }

    TFakeNetworkApi Api;
    TFakeSystem Registry;
};

std::string Block(const std::string& label, const std::string& ip, const std::string& tail = "MTU: 0\nSpeed: 0\n")
{
    return "AdapterName: " + label + "\nDescription: Fake Ethernet\nPhysical Address: 00-1A-2B-3C-4D-5E-\nIP Address: " +
           ip + "\nSubnet Mask: 255.255.255.0\nDefault Gateway: 192.168.0.1\n" + tail;
}

}  // namespace

TEST_F(NetworkInfoTest, ParametersWithServersNodeTypeAndFlags)
{
    Api.DnsServers = {"10.0.0.1", "10.0.0.2", "10.0.0.3"};  // larger than the first buffer
    Api.Routing = Api.Proxy = Api.Dns = 1;
    Api.Interfaces = 0;
    EXPECT_EQ(Heading +
                  "Host Name: PLAYER-PC\nDomain Name: example.jp\nDNS Servers: 10.0.0.1\nDNS Servers: 10.0.0.2\n"
                  "DNS Servers: 10.0.0.3\nNodeType: Hybrid\nEnableRouting.\nEnableProxy.\nEnableDNS.\n\n",
              Run());
    ASSERT_EQ(2u, Api.ParamsSizes.size());
    EXPECT_EQ(sizeof(FIXED_INFO), Api.ParamsSizes[0]);
    EXPECT_EQ(sizeof(FIXED_INFO) + 2 * sizeof(IP_ADDR_STRING), Api.ParamsSizes[1]);
    EXPECT_EQ("C:\\WINDOWS\\system32\\iphlpapi.dll", Api.LoadedPaths.at(0));
}

TEST(NetworkWriterTest, Rows)
{
    NetworkRecord parameters;
    parameters.ParametersRead = true;
    parameters.HostName = "PLAYER-PC";
    parameters.DomainName = "example.jp";
    parameters.DnsServers = {""};
    NetworkAdapterRecord bare;
    bare.Name = "{A}";
    bare.CardDescription = "";  // a card without words still labels its adapter
    NetworkAdapterRecord full = {"{B}", "Card", "Fake", {0x00, 0xAB}, "10.0.0.2", "255.0.0.0", "10.0.0.1",
                                 true, "10.0.0.254", true, "10.0.0.10", "10.0.0.11", 1500, 100000000};
    const std::string block = "AdapterName: Card - {B}\nDescription: Fake\nPhysical Address: 00-AB-\n"
                              "IP Address: 10.0.0.2\nSubnet Mask: 255.0.0.0\nDefault Gateway: 10.0.0.1\n"
                              "adapter enabled DHCP.\n DHCP Server: 10.0.0.254\nadapter uses Wins.\n"
                              " PrimaryWinsServer: 10.0.0.10\n SecondaryWinsServer: 10.0.0.11\n"
                              "MTU: 1500\nSpeed: 100000000\n";
    const std::string head = "Host Name: PLAYER-PC\nDomain Name: example.jp\nDNS Servers: \n";
    const struct {
        UINT NodeType;
        bool AdaptersAsked;
        std::vector<NetworkAdapterRecord> Adapters;
        std::string Text;
    } rows[] = {
        {BROADCAST_NODETYPE, false, {full}, head + "NodeType: Broadcast\n\n"},
        {PEER_TO_PEER_NODETYPE, true, {}, head + "NodeType: PeerToPeer\n\n\n"},
        {MIXED_NODETYPE, true, {bare},
         head + "NodeType: Mixed\n\nAdapterName:  - {A}\nDescription: \nPhysical Address: \n"
                "IP Address: \nSubnet Mask: \nDefault Gateway: \nMTU: 0\nSpeed: 0\n\n"},
        {3, true, {full, full}, head + "\n" + block + block + "\n"},
    };
    for (const auto& row : rows) {
        NetworkRecord network = parameters;
        network.NodeType = row.NodeType;
        network.AdaptersAsked = row.AdaptersAsked;
        network.Adapters = row.Adapters;
        EXPECT_EQ(Heading + row.Text, SectionText(WrittenSection(WriteNetworkSection, network))) << row.NodeType;
    }
    EXPECT_EQ(Heading + "ネットワークのパラメータの取得に失敗しました。\n",
              SectionText(WrittenSection(WriteNetworkSection, NetworkRecord())));
}

TEST_F(NetworkInfoTest, OnlyTheSecondParametersCallDecides)
{
    Api.Interfaces = 0;
    Api.SecondParamsResult = ERROR_NOT_SUPPORTED;  // the first call succeeds
    EXPECT_EQ(Heading + "ネットワークのパラメータの取得に失敗しました。\n", Run());
    EXPECT_EQ(2, Api.ParamsCalls);
}

TEST_F(NetworkInfoTest, HostileParameterSizes)
{
    Api.Interfaces = 0;
    Api.ClaimedParamsSize = 0xFFFFFFF0;  // never allocated
    EXPECT_EQ(Heading + "ネットワークのパラメータの取得に失敗しました。\n", Run());
    TFakeNetworkApi tiny;  // smaller than the record: the record's fields stay readable
    tiny.Interfaces = 0;
    tiny.ClaimedParamsSize = 4;
    Run(tiny);
    ASSERT_EQ(2u, tiny.ParamsSizes.size());
    EXPECT_EQ(sizeof(FIXED_INFO), tiny.ParamsSizes[1]);
}

TEST_F(NetworkInfoTest, WithoutIpHelperOnlyTheMessageRemains)
{
    Api.Adapters = {TFakeNetworkApi::Adapter("{A}", "192.168.0.2", 1)};
    Api.MissingLibraries.insert("iphlpapi.dll");
    EXPECT_EQ(Heading + "ネットワークのパラメータの取得に失敗しました。\n", Run());
    // Each step stands alone: its own function missing leaves only its own part out.
    for (const char* function : {"GetNetworkParams", "GetNumberOfInterfaces", "GetAdaptersInfo", "GetIfEntry"}) {
        TFakeNetworkApi api;
        api.Adapters = {TFakeNetworkApi::Adapter("{A}", "192.168.0.2", 1)};
        api.MissingFunctions.insert(function);
        const std::string text = Run(api);
        const bool parameters = std::string(function) != "GetNetworkParams";
        EXPECT_EQ(parameters, text.find(Parameters) != std::string::npos) << function << ": " << text;
        EXPECT_EQ(!parameters, text.find("AdapterName: {A}\n") != std::string::npos) << function << ": " << text;
    }
}

TEST_F(NetworkInfoTest, AdapterBlockWithDhcpWinsAndInterfaceRow)
{
    IP_ADAPTER_INFO adapter = TFakeNetworkApi::Adapter("{4D36E972}", "192.168.0.2", 7);
    adapter.DhcpEnabled = 1;
    strcpy(adapter.DhcpServer.IpAddress.String, "192.168.0.254");
    adapter.HaveWins = 1;
    strcpy(adapter.PrimaryWinsServer.IpAddress.String, "192.168.0.10");
    strcpy(adapter.SecondaryWinsServer.IpAddress.String, "192.168.0.11");
    Api.Adapters = {adapter};
    MIB_IFROW row = {};
    row.dwMtu = 1500;
    row.dwSpeed = 1000000000;
    Api.Rows[7] = row;
    EXPECT_EQ("AdapterName: {4D36E972}\nDescription: Fake Ethernet\nPhysical Address: 00-1A-2B-3C-4D-5E-\n"
              "IP Address: 192.168.0.2\nSubnet Mask: 255.255.255.0\nDefault Gateway: 192.168.0.1\n"
              "adapter enabled DHCP.\n DHCP Server: 192.168.0.254\nadapter uses Wins.\n"
              " PrimaryWinsServer: 192.168.0.10\n SecondaryWinsServer: 192.168.0.11\nMTU: 1500\nSpeed: 1000000000\n\n",
              Adapters());
}

TEST_F(NetworkInfoTest, HardwareAddressLengths)
{
    IP_ADAPTER_INFO none = TFakeNetworkApi::Adapter("{A}", "10.0.0.2", 1);
    none.AddressLength = 0;
    IP_ADAPTER_INFO hostile = TFakeNetworkApi::Adapter("{B}", "10.0.0.3", 2);
    hostile.AddressLength = 200;  // more than the array holds
    Api.Adapters = {none, hostile};
    const std::string text = Adapters();
    EXPECT_NE(std::string::npos, text.find("AdapterName: {A}\nDescription: Fake Ethernet\nPhysical Address: \n")) << text;
    EXPECT_NE(std::string::npos, text.find("Physical Address: 00-1A-2B-3C-4D-5E-00-00-\n")) << text;
}

TEST_F(NetworkInfoTest, OneBlockPerRecordWhateverTheInterfaceCount)
{
    for (size_t records = 1; records <= 3; ++records) {
        for (DWORD interfaces : {1u, 2u, 5u}) {
            TFakeNetworkApi api;
            api.Interfaces = interfaces;
            for (size_t i = 0; i < records; ++i)
                api.Adapters.push_back(TFakeNetworkApi::Adapter(("{" + std::to_string(i) + "}").c_str(), "10.0.0.9", 9));
            const std::string text = Run(api);
            std::string expected;
            for (size_t i = 0; i < records; ++i) expected += Block("{" + std::to_string(i) + "}", "10.0.0.9");
            EXPECT_EQ(Parameters + expected + "\n", text.substr(Heading.size())) << records << " / " << interfaces;
        }
    }
}

TEST_F(NetworkInfoTest, NoInterfacesOrAFailedSecondCall)
{
    Api.Adapters = {TFakeNetworkApi::Adapter("{A}", "10.0.0.2", 1)};
    Api.Interfaces = 0;
    EXPECT_EQ("", Adapters()) << "silent, without the empty row";
    TFakeNetworkApi changed;
    changed.Adapters = {TFakeNetworkApi::Adapter("{A}", "10.0.0.2", 1)};
    changed.SecondAdaptersResult = ERROR_BUFFER_OVERFLOW;  // the list grew in between
    EXPECT_EQ(Heading + Parameters + "\n", Run(changed));
}

TEST_F(NetworkInfoTest, CardLabelsFromTheRegistry)
{
    Api.Adapters = {TFakeNetworkApi::Adapter("{AA}", "10.0.0.2", 1), TFakeNetworkApi::Adapter("{bb}", "10.0.0.3", 2),
                    TFakeNetworkApi::Adapter("{CC}", "10.0.0.4", 3), TFakeNetworkApi::Adapter("{DD}", "10.0.0.5", 4)};
    Card("2", "{AA}", "Later card");
    Card("10", "{AA}", "Earlier card");  // "10" sorts before "2"
    Card("3", "{BB}", "Other case");
    Card("4", "{CC}", "Refused");
    Registry.Unopenable.insert(std::string(Cards) + "\\4");
    Registry.SetDword(std::string(Cards) + "\\5", "ServiceName", 1);
    Registry.SetString(std::string(Cards) + "\\6", "ServiceName", "{DD}");  // no Description
    EXPECT_EQ(Block("Later card - {AA}", "10.0.0.2") + Block("{bb}", "10.0.0.3") + Block("{CC}", "10.0.0.4") +
                  Block("{DD}", "10.0.0.5") + "\n",
              Adapters());

    Registry.Open.clear();
    const std::string text = Adapters(Windows98);
    EXPECT_NE(std::string::npos, text.find("AdapterName: {AA}\n")) << text;
    EXPECT_TRUE(Registry.Open.empty()) << "the registry is read on NT only";
}
