#ifndef ENVCHECK_TESTS_SUPPORT_SECTIONTEXT_H
#define ENVCHECK_TESTS_SUPPORT_SECTIONTEXT_H

#include <windows.h>

#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>

#include "info/BaseInfo.h"
#include "info/OsVersion.h"
#include "info/Section.h"

// A section as the report has it: its elements' bytes, nothing between them.
// With labels, only the elements that begin with one of them, or (keep false)
// every element but those.
inline std::string SectionText(const std::deque<std::string>& elements,
                               std::initializer_list<const char*> labels = {}, bool keep = true)
{
    std::string text;
    for (const std::string& element : elements) {
        bool labelled = false;
        for (const char* label : labels) labelled = labelled || element.compare(0, strlen(label), label) == 0;
        if (labels.size() == 0 || labelled == keep) text += element;
    }
    return text;
}
inline std::string SectionText(const TSection& section, std::initializer_list<const char*> labels = {},
                               bool keep = true)
{
    return SectionText(section.Lines(), labels, keep);
}
inline std::string SectionText(const TBaseInfo& collector, std::initializer_list<const char*> labels = {},
                               bool keep = true)
{
    return SectionText(collector.GetLines(), labels, keep);
}

// The version record a table row states. Not extended: only the basic form
// was filled, so the extended fields stay zero as Windows left them.
inline OsVersionRecord WindowsVersion(DWORD platform, DWORD major, DWORD minor, DWORD build = 2600,
                                      const char* servicePack = "", bool extended = true,
                                      BYTE productType = VER_NT_WORKSTATION, WORD suite = 0)
{
    OsVersionRecord version;
    version.Info.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
    version.Info.dwPlatformId = platform;
    version.Info.dwMajorVersion = major;
    version.Info.dwMinorVersion = minor;
    version.Info.dwBuildNumber = build;
    std::strncpy(version.Info.szCSDVersion, servicePack, sizeof(version.Info.szCSDVersion) - 1);
    version.Info.wProductType = extended ? productType : 0;
    version.Info.wSuiteMask = extended ? suite : 0;
    version.IsEx = extended;
    version.Loaded = true;
    return version;
}

// Windows XP SP3 as most rows see it.
inline OsVersionRecord XpVersion() { return WindowsVersion(VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"); }
// Windows 98 SE, which fills only the basic form.
inline OsVersionRecord Windows98Version() { return WindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, "", false); }

// The section a writer makes of its records.
template <typename Write, typename... Records>
TSection WrittenSection(Write write, const Records&... records)
{
    TSection section;
    write(records..., section);
    return section;
}

#endif
