#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/directx/FakeDxDiag.h"
#include "info/directx/DirectXInfo.h"

namespace {

std::vector<std::string> Elements(const TDirectXInfo& info)
{
    return std::vector<std::string>(info.GetLines().begin(), info.GetLines().end());
}

const std::string Failure = "DirectXの初期化に失敗しました\n";

}  // namespace

TEST(DirectXDriverTest, NothingIsWrittenWhenTheProviderDoesNotOpen)
{
    for (int step = 0; step < 4; ++step) {
        TFakeApi api;
        if (step == 0) api.CreateResult = REGDB_E_CLASSNOTREG;
        if (step == 1) api.ProviderMissing = true;
        if (step == 2) api.Provider.InitializeResult = E_FAIL;
        if (step == 3) api.Provider.RootResult = E_FAIL;
        TDirectXInfo info(api);
        info.Collect();
        EXPECT_TRUE(info.GetLines().empty()) << "step " << step << ": " << info.GetLines().front();
        EXPECT_TRUE(api.AllReleased()) << "step " << step;
        EXPECT_EQ(0, api.Loads) << "step " << step << ": Direct3D is asked for last";
    }
}

TEST(DirectXDriverTest, MissingDirect3DWritesOnlyTheMessage)
{
    for (int way = 0; way < 3; ++way) {
        TFakeApi api;
        if (way == 0) api.MissingLibraries.insert("d3d9.dll");
        if (way == 1) api.MissingFunctions.insert("Direct3DCreate9");
        if (way == 2) api.Direct3DMissing = true;
        TDirectXInfo info(api);
        info.Collect();
        EXPECT_EQ(std::vector<std::string>{Failure}, Elements(info)) << "way " << way;
        EXPECT_TRUE(api.AllReleased()) << "way " << way;
        EXPECT_EQ("C:\\WINDOWS\\system32\\d3d9.dll", api.LoadedPaths.at(0));
    }
}

TEST(DirectXDriverTest, ProviderIsInitialisedWithTheNinthSdkRecord)
{
    TFakeApi api;
    TDirectXInfo info(api);
    info.Collect();
    // The 32-bit program's record; a 64-bit test build's pointer is wider.
    EXPECT_EQ(sizeof(void*) == 4 ? 16u : 24u, api.Provider.Parameters.dwSize);
    EXPECT_EQ(111u, api.Provider.Parameters.dwDxDiagHeaderVersion);
    EXPECT_EQ(TRUE, api.Provider.Parameters.bAllowWHQLChecks);
    EXPECT_EQ(nullptr, api.Provider.Parameters.pReserved);
}

TEST(DirectXDriverTest, FiveSectionsInOrderEvenWhenOneWritesNothing)
{
    TFakeApi api;
    api.Direct3D.IdentifierResult = E_FAIL;  // the adapter section writes nothing
    TDirectXInfo info(api);
    info.Collect();
    const std::vector<std::string> expected = {
        "DxDialog DirectX Infomation:\n", "DxDialog DirectSound Infomation:\n", "DxDialog Display Infomation:\n",
        "DxDialog DirectX File Infomation:\n"};
    EXPECT_EQ(expected, Elements(info));
    EXPECT_TRUE(api.AllReleased());

    TFakeApi whole;
    TDirectXInfo second(whole);
    second.Collect();
    ASSERT_FALSE(second.GetLines().empty());
    EXPECT_EQ("Graphic Adapter information:\n", second.GetLines().front());
    EXPECT_EQ("DxDialog DirectX File Infomation:\n", second.GetLines().back());
    EXPECT_TRUE(whole.AllReleased());
    EXPECT_FALSE(whole.FreedWhileInUse) << "d3d9.dll was freed before its object";
    EXPECT_EQ(1, whole.Loads);
}

TEST(DirectXDriverTest, ASecondRunOpensAndReleasesAgain)
{
    TFakeApi api;
    TDirectXInfo info(api);
    info.Collect();
    const size_t once = info.GetLines().size();
    info.Collect();
    EXPECT_EQ(2 * once, info.GetLines().size()) << "a run appends";
    EXPECT_TRUE(api.AllReleased());
    EXPECT_EQ(2, api.Frees);
}
