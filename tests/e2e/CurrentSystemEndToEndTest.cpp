#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "e2e/Envcheck.h"
#include "e2e/WineVersion.h"

namespace {

const char* const CurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Release values the prefix lacks, written for the test and taken away after it.
class TReleaseValues {
public:
    TReleaseValues()
    {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, CurrentVersion, 0, KEY_READ | KEY_SET_VALUE, &Key);
        Add("EditionID", REG_SZ, "Professional", 13);
        Add("DisplayVersion", REG_SZ, "22H2", 5);
        const DWORD ubr = 4460;
        Add("UBR", REG_DWORD, &ubr, sizeof(ubr));
    }
    ~TReleaseValues()
    {
        for (const std::string& name : Added) RegDeleteValueA(Key, name.c_str());
        if (Key != nullptr) RegCloseKey(Key);
    }
    TReleaseValues(const TReleaseValues&) = delete;
    TReleaseValues& operator=(const TReleaseValues&) = delete;

    // What the key holds now, read as reg query reads it.
    std::string Text(const char* name) const
    {
        char text[256] = {};
        DWORD size = sizeof(text) - 1;
        DWORD type = 0;
        return RegQueryValueExA(Key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
                       type == REG_SZ
                   ? text
                   : "?";
    }
    DWORD Number(const char* name) const
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        RegQueryValueExA(Key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
        return value;
    }

private:
    void Add(const char* name, DWORD type, const void* data, DWORD size)
    {
        if (Key == nullptr || RegQueryValueExA(Key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) return;
        if (RegSetValueExA(Key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS)
            Added.push_back(name);
    }
    HKEY Key = nullptr;
    std::vector<std::string> Added;
};

// The names a version may have: Wine's 6.1 may be either edition.
std::vector<std::string> Products(const std::string& version)
{
    if (version.compare(0, 4, "6.1.") == 0) return {"Windows 7", "Windows Server 2008 R2"};
    if (version.compare(0, 5, "10.0.") == 0) return {std::stoul(version.substr(5)) >= 22000 ? "Windows 11" : "Windows 10"};
    return {"?"};
}

std::string ValueAfter(const std::string& report, const std::string& label)
{
    const size_t at = report.find(label);
    if (at == std::string::npos) return "?";
    const size_t start = at + label.size();
    return report.substr(start, report.find('\n', start) - start);
}

}  // namespace

// The closing section of the real program agrees with what the test reads
// itself: the registry, the Direct3D 9 adapter, the screen, and the version
// Wine is told to answer.
TEST(CurrentSystemEndToEndTest, SectionAgreesWithTheRegistryTheAdapterAndTheScreen)
{
    TReleaseValues release;
    TVersionsCopy copy;
    ASSERT_TRUE(copy.Copied) << copy.Path << ": error " << GetLastError();
    const struct {
        const char* Wine;
        const char* Version;
    } versions[] = {{"win7", "6.1."}, {"win10", "10.0."}};
    for (const auto& version : versions) {
        SCOPED_TRACE(version.Wine);
        TWineVersion wine(version.Wine);
        const std::string report = HeadlessReport("current.txt", copy.Path);
        ASSERT_FALSE(report.empty());
        const size_t at = report.find("\n\nCurrent system information:\n");
        ASSERT_NE(std::string::npos, at) << "no closing section";
        const std::string section = report.substr(at + 2);
        EXPECT_LT(report.rfind("Drive information: \n"), at) << "the section closes the report";
        ASSERT_EQ(section.size() - 2, section.find("\n\n", section.size() - 2)) << "ends with a blank line";

        // The version the copy is told, as the operating-system row of the same report names it; the
        // registry's own where Windows 10 or later keeps one, which the per-program setting, a compatibility
        // mode, leaves (Wine keeps 6.1 there too, which Windows 7 does not).
        const std::string osBuild = ValueAfter(report, " (Build ");
        const std::string told = version.Version + osBuild.substr(0, osBuild.find(')'));
        const std::string truth = release.Number("CurrentMajorVersionNumber") >= 10
                                      ? std::to_string(release.Number("CurrentMajorVersionNumber")) + "." +
                                            std::to_string(release.Number("CurrentMinorVersionNumber")) + "." +
                                            release.Text("CurrentBuildNumber")
                                      : told;
        const std::string windows = ValueAfter(section, " Windows: ");
        bool named = false;
        for (const std::string& product : Products(truth))
            for (const std::string& toldProduct : Products(told))
                named = named || windows == product + " " + release.Text("EditionID") +
                                               (truth == told ? ""
                                                              : " (envcheck runs in compatibility mode for " +
                                                                    toldProduct + ")");
        EXPECT_TRUE(named) << windows << " (told " << told << ", the registry says " << truth << ")";
        EXPECT_EQ(release.Text("DisplayVersion"), ValueAfter(section, " Version: "));
        EXPECT_EQ(truth + "." + std::to_string(release.Number("UBR")), ValueAfter(section, " Build: "));

        // What Windows tells a program of this build: a 32-bit one runs under WOW64 on 64-bit Windows.
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        const std::string windowsMachine = sizeof(void*) == 8 || wow64 ? "x64" : "x86";
        EXPECT_EQ(windowsMachine, ValueAfter(section, " Windows architecture: "));
        EXPECT_EQ(wow64 ? "x86 on x64 (WOW64)" : windowsMachine, ValueAfter(section, " envcheck runs as: "));
        const std::string power = ValueAfter(section, " Power: ");
        EXPECT_TRUE(power == "AC" || power == "unknown" || power.compare(0, 7, "battery") == 0) << power;

        EXPECT_EQ(ValueAfter(report, "\n Description : "), ValueAfter(section, "\nGraphics adapter 0: "));
        const HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        // A rate of 0 or 1 is the hardware's default, which names no figure (64-bit Wine gives one).
        DEVMODEA settings = {};
        settings.dmSize = sizeof(settings);
        EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &settings);
        const std::string rate =
            settings.dmDisplayFrequency > 1 ? " " + std::to_string(settings.dmDisplayFrequency) + " Hz" : "";
        EXPECT_EQ("\\\\.\\DISPLAY1 " + std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                      std::to_string(GetSystemMetrics(SM_CYSCREEN)) + rate + ", scale " +
                      std::to_string((dpi * 100 + 48) / 96) + "%, primary",
                  ValueAfter(section, "\n Display: "));
    }
}
