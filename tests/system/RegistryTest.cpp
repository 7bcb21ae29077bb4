#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "info/Registry.h"

namespace {

const char* const TestKey = "Software\\envcheck-test";

// A key of the test's own under HKEY_CURRENT_USER, removed afterwards.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, TestKey);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, TestKey, &Key));
    }
    void TearDown() override
    {
        RegCloseKey(Key);
        RegDeleteTreeA(HKEY_CURRENT_USER, TestKey);
    }
    void Subkey(const std::string& name)
    {
        HKEY created = nullptr;
        RegCreateKeyA(Key, name.c_str(), &created);
        RegCloseKey(created);
    }
    HKEY Key = nullptr;
};

}  // namespace

TEST_F(RegistryTest, SubkeysInByteOrder)
{
    for (const char* name : {"10", "2", "1", "B", "a"}) Subkey(name);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(HKEY_CURRENT_USER, TestKey));
    registry.EnumKeys();
    EXPECT_EQ((std::vector<std::string>{"1", "10", "2", "B", "a"}),
              std::vector<std::string>(registry.SubKeys.begin(), registry.SubKeys.end()));
    registry.EnumKeys();
    EXPECT_EQ(5u, registry.SubKeys.size()) << "a second listing starts afresh";
    registry.CloseKey();
}

TEST_F(RegistryTest, NoSubkeys)
{
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(HKEY_CURRENT_USER, TestKey));
    registry.EnumKeys();
    EXPECT_TRUE(registry.SubKeys.empty());
    registry.CloseKey();
}

TEST_F(RegistryTest, KeyThatNeverOpenedEndsItsListing)
{
    TRegistry registry;
    EXPECT_FALSE(registry.OpenKey(HKEY_CURRENT_USER, "Software\\envcheck-test\\missing"));
    registry.EnumKeys();  // must return
    EXPECT_TRUE(registry.SubKeys.empty());
    EXPECT_FALSE(registry.ReadValue("anything"));
}

TEST_F(RegistryTest, ValuesAsStored)
{
    RegSetValueExA(Key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("  Pentium"), 10);
    const DWORD clock = 2394;
    RegSetValueExA(Key, "~MHz", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&clock), 4);
    RegSetValueExA(Key, "Empty", 0, REG_BINARY, nullptr, 0);
    RegSetValueExA(Key, "Unterminated", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3);

    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(HKEY_CURRENT_USER, TestKey));
    ASSERT_TRUE(registry.ReadValue("Text"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), registry.ValueType);
    EXPECT_EQ(10u, registry.DataSize);
    EXPECT_EQ("  Pentium", registry.DataText());

    ASSERT_TRUE(registry.ReadValue("~MHz"));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), registry.ValueType);
    DWORD read = 0;
    std::memcpy(&read, registry.Data, 4);
    EXPECT_EQ(2394u, read);

    ASSERT_TRUE(registry.ReadValue("Empty"));
    EXPECT_EQ(0u, registry.DataSize);
    EXPECT_EQ("", registry.DataText());

    ASSERT_TRUE(registry.ReadValue("Unterminated"));
    EXPECT_EQ("abc", registry.DataText()) << "never read past the value's size";

    const BYTE* previous = registry.Data;
    EXPECT_FALSE(registry.ReadValue("Missing"));
    EXPECT_EQ(previous, registry.Data) << "a missing value keeps the previous data";
    EXPECT_EQ("abc", registry.DataText());
    registry.CloseKey();
}

TEST_F(RegistryTest, RealProcessorKey)
{
    TRegistry registry;
    if (!registry.OpenKey(HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0"))
        GTEST_SKIP() << "no processor key";
    EXPECT_TRUE(registry.ReadValue("Identifier"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), registry.ValueType);
    EXPECT_FALSE(registry.DataText().empty());
    registry.CloseKey();
}
