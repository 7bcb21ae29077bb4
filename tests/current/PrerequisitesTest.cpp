#include <gtest/gtest.h>

#include <windows.h>
#include <wbemcli.h>

#include <algorithm>
#include <deque>
#include <string>

#include "current/MachineRun.h"
#include "support/SectionText.h"

namespace {

const char* const Runtimes32 = "SOFTWARE\\WOW6432Node\\Microsoft\\VisualStudio\\14.0\\VC\\Runtimes\\";
const char* const DotNet = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full";
const char* const SecureBoot = "SYSTEM\\CurrentControlSet\\Control\\SecureBoot\\State";
const std::string NoExtras =
    "none (missing: d3dx9_43 d3dx10_43 d3dx11_43 d3dcompiler_43 xinput1_3 XAudio2_7 X3DAudio1_7 xactengine3_7)";

// CPUID 1's ECX: SSE3 SSSE3 FMA SSE4.1 SSE4.2 POPCNT OSXSAVE AVX; CPUID 7's EBX: AVX2 AVX-512F.
const unsigned Haswell = 1u | 1u << 9 | 1u << 12 | 1u << 19 | 1u << 20 | 1u << 23 | 1u << 27 | 1u << 28;
const unsigned Avx2 = 1u << 5;
const unsigned Avx512 = 1u << 16;

void Runtime(TFakeSystem& registry, const std::string& key, DWORD minor, DWORD build)
{
    registry.SetDword(key, "Installed", 1);
    registry.SetDword(key, "Major", 14);
    registry.SetDword(key, "Minor", minor);
    registry.SetDword(key, "Bld", build);
}

// The log's seconds for a UTC time.
DWORD LogTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    const SYSTEMTIME time = {year, month, 0, day, hour, minute, second, 0};
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    return static_cast<DWORD>((ticks - 116444736000000000ULL) / 10000000ULL);
}

// Vista and later: program, version, time stamp, module, version, time stamp, exception, offset, and more.
TFakeEvent Crash(DWORD time, const wchar_t* program, const wchar_t* module, const wchar_t* version,
                 const wchar_t* exception, const wchar_t* offset, size_t strings = 15)
{
    TFakeEvent event;
    event.Time = time;
    event.Strings = {program, L"1.2.3.4", L"5f000000", module, version, L"64000000", exception, offset,
                     L"0x1a2c", L"0x01db4b", L"C:\\Users\\taro\\Games\\game.exe", L"C:\\Windows\\System32\\x.dll",
                     L"3f2a", L"", L""};
    event.Strings.resize(strings);
    return event;
}

// A machine with what its Windows has of all that Prerequisites() brings: Windows 10 and later 64-bit, its
// registry with a 32-bit view; older Windows 32-bit, and this program too. Its processor answers CPUID 1's ECX
// and 7's EBX as given, and XGETBV the features Windows saves.
void Windows(TFakeCurrentSystem& machine, TFakeSystem& registry, DWORD major, DWORD minor, DWORD build,
             unsigned ecx = 0, unsigned ebx = 0, unsigned long long xcr0 = 0)
{
    const bool today = major >= 10;
    registry.Leaves[0] = {7, 0, 0, 0};
    registry.Leaves[1] = {0, 0, ecx, 0};
    registry.Leaves[7] = {0, ebx, 0, 0};
    registry.Xcr0 = xcr0;
    machine.SetVersion(major, minor, build);
    machine.Prerequisites();
    // What came with Windows 8, and with Vista (Security Center's namespace with its SP1).
    const DWORD version = major << 8 | minor;
    if (version < 0x602) machine.MissingFunctions.insert({"GetFirmwareType", "Tbsi_GetDeviceInfo"});
    if (version < 0x600) {
        machine.MissingFunctions.insert("PowerGetActiveScheme");
        machine.MissingLibraries.insert("tbs.dll");
        machine.ConnectResult = WBEM_E_INVALID_NAMESPACE;
    }
    machine.NativeMachine = today ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    if (!today) machine.ProgramMachine = IMAGE_FILE_MACHINE_I386;
    registry.Redirects = today;
}

// Each row expects the section's lines after Power:, then those under its crash block's heading.
const TMachineRow Machines[] = {
    {"Windows 11 gaming PC: everything there, one crash in the graphics driver",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 10, 0, 22631, Haswell, Avx2 | Avx512, 0xE7);
         registry.SetDword(SecureBoot, "UEFISecureBootEnabled", 1);
         // A product without a name is left out.
         machine.SecurityProducts = {{L"Windows Defender", 0x61100}, {L"", 0x41000}};
         Runtime(registry, std::string(Runtimes32) + "X86", 40, 33810);
         // This installer wrote the x64 runtime's key in the 32-bit view.
         Runtime(registry, std::string(Runtimes32) + "X64", 40, 33810);
         registry.SetDword(DotNet, "Release", 533320);
         machine.SystemFiles = {L"d3dx9_43.dll",  L"d3dx10_43.dll", L"d3dx11_43.dll", L"d3dcompiler_43.dll",
                                L"xinput1_3.dll", L"xaudio2_7.dll", L"xactengine3_7.dll"};
         machine.Events = {Crash(LogTime(2026, 12, 1, 12, 3, 11), L"game.exe", L"nvwgf2um.dll", L"31.0.15.3623",
                                 L"c0000005", L"0012ab34")};
     },
     " Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX AVX2 FMA3 AVX-512F\n"
     " Firmware: UEFI, Secure Boot on\n"
     " TPM: 2.0\n"
     " Memory integrity: off\n"
     " Test signing: off\n"
     " Security software: Windows Defender (on, up to date)\n"
     " Visual C++ runtime: x86 14.40.33810, x64 14.40.33810\n"
     " .NET Framework: 4.8.1\n"
     " DirectX 9 extras: d3dx9_43 d3dx10_43 d3dx11_43 d3dcompiler_43 xinput1_3 XAudio2_7 xactengine3_7"
     " (missing: X3DAudio1_7)\n"
     " Power plan: Balanced, battery saver off\n"
     " 2026-12-01 21:03:11 game.exe 1.2.3.4, module nvwgf2um.dll 31.0.15.3623, exception 0xc0000005, offset 0x0012ab34\n"},
    {"Windows 10 that an anti-cheat refuses: test signing, no TPM, Secure Boot off, AVX not saved, old runtime",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 10, 0, 19045, Haswell, Avx2, 0x03);
         machine.Firmware = FirmwareTypeUefi;
         registry.SetDword(SecureBoot, "UEFISecureBootEnabled", 0);
         machine.TpmResult = TbsTpmNotFound;
         machine.CodeIntegrityOptions = CODEINTEGRITY_OPTION_ENABLED | CODEINTEGRITY_OPTION_TESTSIGN |
                                        CODEINTEGRITY_OPTION_HVCI_KMCI_ENABLED;
         machine.SecurityProducts = {{L"Windows Defender", 0x60100}, {L"ESET Security", 0x41010, VT_UI4}};
         Runtime(registry, std::string(Runtimes32) + "X86", 16, 27012);
         machine.Power.Reserved1 = 1;
         machine.Events = {
             // Newest first: two crashes, then one older than the window, which ends the reading.
             Crash(LogTime(2026, 12, 9, 2, 0, 0), L"C:\\Users\\taro\\ゲーム.exe", L"ntdll.dll", L"10.0.19041.3636",
                   L"0xC0000374", L"0x00000000000f6703"),
             Crash(LogTime(2026, 11, 10, 3, 0, 0), L"two\r\nlines.exe", L"D:\\mods\\hook.dll", L"0.1",
                   L"80000003", L"00001000"),
             Crash(LogTime(2026, 11, 9, 11, 59, 0), L"old.exe", L"old.dll", L"1", L"c0000005", L"1")};
     },
     " Processor features: SSE3 SSSE3 SSE4.1 SSE4.2 POPCNT AVX (off in Windows) AVX2 (off in Windows)"
     " FMA3 (off in Windows)\n"
     " Firmware: UEFI, Secure Boot off\n"
     " TPM: none\n"
     " Memory integrity: on\n"
     " Test signing: on\n"
     " Security software: Windows Defender (off, up to date); ESET Security (on, out of date)\n"
     " Visual C++ runtime: x86 14.16.27012, x64 missing\n"
     " .NET Framework: missing\n"
     " DirectX 9 extras: " + NoExtras + "\n"
     " Power plan: Balanced, battery saver on\n"
     " 2026-12-09 11:00:00 \x83\x51\x81\x5B\x83\x80.exe 1.2.3.4, module ntdll.dll 10.0.19041.3636, exception 0xc0000374,"
     " offset 0x00000000000f6703\n"
     " 2026-11-10 12:00:00 two??lines.exe 1.2.3.4, module hook.dll 0.1, exception 0x80000003, offset 0x00001000\n"},
    {"Windows 7: no firmware, TPM or memory integrity lines; its crash layout; .NET 4.0; a Japanese plan",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 6, 1, 7601, 1u | 1u << 9);
         // Security Center answers, but only after the section stopped waiting.
         machine.SecurityProducts = {{L"Windows Defender", 0x61100}};
         machine.WmiStalls = true;
         registry.Keys[DotNet];
         machine.PowerPlan = L"バランス";
         machine.Events = {Crash(LogTime(2026, 12, 8, 0, 0, 0), L"game.exe", L"d3d9.dll", L"6.1.7601.17514",
                                 L"c0000005", L"0x00012ab4", 12)};
     },
     " Processor features: SSE3 SSSE3\n"
     " Test signing: off\n"
     " Visual C++ runtime: x86 missing\n"
     " .NET Framework: 4.0\n"
     " DirectX 9 extras: " + NoExtras + "\n"
     " Power plan: \x83\x6F\x83\x89\x83\x93\x83\x58\n"
     " 2026-12-08 09:00:00 game.exe 1.2.3.4, module d3d9.dll 6.1.7601.17514, exception 0xc0000005, offset 0x00012ab4\n"},
    {"Windows XP: its crash layout, no exception; no plan, integrity or Security Center",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 5, 1, 2600, 1u);
         machine.SystemFiles = {L"d3dx9_43.dll"};
         TFakeEvent crash;
         crash.Time = LogTime(2026, 12, 5, 1, 0, 0);
         crash.Strings = {L"game.exe", L"1.0.0.1", L"d3d9.dll", L"5.3.2600.5512", L"0001c4a5"};
         // Another source's entry 1000 is not a crash.
         TFakeEvent other = crash;
         other.Source = L"Userenv";
         machine.Events = {other, crash};
     },
     " Processor features: SSE3\n"
     " Visual C++ runtime: x86 missing\n"
     " .NET Framework: missing\n"
     " DirectX 9 extras: d3dx9_43 (missing: d3dx10_43 d3dx11_43 d3dcompiler_43 xinput1_3 XAudio2_7 X3DAudio1_7"
     " xactengine3_7)\n"
     " 2026-12-05 10:00:00 game.exe 1.0.0.1, module d3d9.dll 5.3.2600.5512, offset 0x0001c4a5\n"},
    {"Nothing answers: no CPUID, firmware fails, a TPM of no version, WMI hangs, integrity refused, no plan name",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 10, 0, 22631);
         registry.Cpuid_ = false;
         machine.FirmwareFails = true;
         machine.TpmVersion = 0;
         machine.WmiHangs = true;
         machine.CodeIntegrityStatus = static_cast<LONG>(0xC0000022);
         machine.PowerPlan.clear();
         machine.MissingFunctions.insert("GetSystemPowerStatus");
     },
     " Processor features: unknown\n"
     " Firmware: unknown\n"
     " TPM: unknown\n"
     " Memory integrity: unknown\n"
     " Test signing: unknown\n"
     " Visual C++ runtime: x86 missing, x64 missing\n"
     " .NET Framework: missing\n"
     " DirectX 9 extras: " + NoExtras + "\n"
     " Power plan: unknown\n"
     " (none)\n"},
    {"A busy log: 100,000 recent entries of other sources, a large crash, damaged and half-empty entries",
     [](TFakeCurrentSystem& machine, TFakeSystem& registry) {
         Windows(machine, registry, 10, 0, 22631);
         TFakeEvent large = Crash(LogTime(2026, 12, 9, 1, 0, 0), L"big.exe", L"a.dll", L"1", L"c0000409", L"10");
         large.Padding = 0x20000;  // larger than the first buffer
         TFakeEvent damaged = large;
         damaged.Padding = 0;
         damaged.Damaged = true;
         machine.Events = {damaged, Crash(LogTime(2026, 12, 9, 1, 0, 0), L"few.exe", L"b.dll", L"1", L"1", L"2", 6),
                           large};
         machine.Filler = 100000;
         machine.PowerPlan = L"Evil\r\n TPM: 2.0";
     },
     " Processor features: none\n"
     " Firmware: UEFI, Secure Boot unknown\n"
     " TPM: 2.0\n"
     " Memory integrity: off\n"
     " Test signing: off\n"
     " Security software: none\n"
     " Visual C++ runtime: x86 missing, x64 missing\n"
     " .NET Framework: missing\n"
     " DirectX 9 extras: " + NoExtras + "\n"
     " Power plan: Evil?? TPM: 2.0, battery saver off\n"
     " 2026-12-09 10:00:00 big.exe 1.2.3.4, module a.dll 1, exception 0xc0000409, offset 0x10\n"},
};

}  // namespace

// The new lines and the crash block of each machine, and every object, string, log and library given back.
TEST(PrerequisitesTest, MachinesGiveTheirExactLines)
{
    for (const TMachineRow& row : Machines) {
        SCOPED_TRACE(row.Name);
        TMachineRun run(row);
        const std::deque<std::string>& lines = run.Info.GetLines();
        // The prerequisites' lines before the crash block's heading, and the block's lines after it.
        const auto heading = std::find(lines.begin(), lines.end(), "Recent program crashes (30 days):\n");
        EXPECT_NE(lines.end(), heading) << "every section has its crash block";
        const auto block = heading == lines.end() ? heading : heading + 1;
        const std::string text =
            SectionText(std::deque<std::string>(lines.begin(), heading),
                        {" Processor features: ", " Firmware: ", " TPM: ", " Memory integrity: ", " Test signing: ",
                         " Security software: ", " Visual C++ runtime: ", " .NET Framework: ", " DirectX 9 extras: ",
                         " Power plan: "}) +
            SectionText(std::deque<std::string>(block, std::find(block, lines.end(), "\n")));
        EXPECT_EQ(row.Expected, text);
        EXPECT_EQ("\n", lines.back()) << "the section still ends";
        // Both of Security Center's proxies get the blanket.
        if (text.find(" Security software: ") != std::string::npos) {
            EXPECT_EQ(2, run.Machine.Blankets);
        }
        // A hung WMI is given its budget once, not per product (the fake's own clock, which only a
        // Next that times out moves on); a busy log is not read to its end.
        EXPECT_LE(run.Machine.Ticks, 5000u);
        EXPECT_LE(run.Machine.RecordsRead, 6000u) << "read past 5,000 entries and the rest of their last read";
        if ((run.Registry.Leaves[1][2] & 1u << 27) == 0) {
            EXPECT_TRUE(run.Registry.Xgetbvs.empty()) << "XGETBV faults without OSXSAVE";
        }
    }
}
