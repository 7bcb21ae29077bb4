#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "info/directx/DirectXInfo.h"
#include "info/drive/DriveInfo.h"
#include "info/network/NetworkInfo.h"
#include "info/process/ProcessInfo.h"
#include "info/service/ServiceInfo.h"
#include "info/system/SystemInfo.h"

// The titles are cp932 bytes, whatever the source's encoding.
TEST(CollectorsTest, TitlesAreTheirCp932Bytes)
{
    std::vector<std::unique_ptr<TBaseInfo>> collectors;
    collectors.emplace_back(new TSystemInfo);
    collectors.emplace_back(new TDirectXInfo);
    collectors.emplace_back(new TProcessInfo);
    collectors.emplace_back(new TServiceInfo);
    collectors.emplace_back(new TNetworkInfo);
    collectors.emplace_back(new TDriveInfo);
    const char* const expected[] = {
        "\x83\x56\x83\x58\x83\x65\x83\x80\x82\xcc\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
        "DirectX\x82\xcc\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
        "\x83\x76\x83\x8d\x83\x5a\x83\x58\x82\xcc\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
        "\x83\x54\x81\x5b\x83\x72\x83\x58\x82\xcc\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
        "\x83\x6c\x83\x62\x83\x67\x83\x8f\x81\x5b\x83\x4e\x82\xcc\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
        "\x83\x68\x83\x89\x83\x43\x83\x75\x8f\xee\x95\xf1\x82\xf0\x8e\xe6\x93\xbe\x92\x86...\n",
    };
    for (size_t i = 0; i < collectors.size(); ++i) {
        EXPECT_EQ(std::string(expected[i]), collectors[i]->GetTitle()) << "collector " << i;
        EXPECT_TRUE(collectors[i]->GetLines().empty()) << "collector " << i;
    }
}
