#include "Survey.h"

#include <algorithm>
#include <cctype>

namespace reader {

namespace {

// PCI vendor ids as the report writes them, and the names support counts them under.
const struct {
    const char* Id;
    const char* Name;
} Vendors[] = {{"0x10DE", "NVIDIA"}, {"0x1002", "AMD"}, {"0x1022", "AMD"}, {"0x8086", "Intel"}};

std::string VendorOf(const std::string& id)
{
    for (const auto& vendor : Vendors) {
        const std::string known = vendor.Id;
        const auto same = [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
        };
        if (id.size() == known.size() && std::equal(id.begin(), id.end(), known.begin(), same)) return vendor.Name;
    }
    return "Other";
}

// VendorOf of a column, in SQL: built from the same list.
std::string VendorSql(const std::string& column)
{
    std::string sql = "CASE upper(" + column + ")";
    for (const auto& vendor : Vendors) sql += std::string(" WHEN upper('") + vendor.Id + "') THEN '" + vendor.Name + "'";
    return sql + " ELSE 'Other' END";
}

// The rowid of a report's (reports.id) first adapter of a source that has a name and is
// not software: a report's rows are stored in the order it lists them.
std::string FirstAdapter(const char* source)
{
    return std::string("(SELECT rowid FROM adapters WHERE report_id = reports.id AND source = '") + source +
           "' AND software IS NOT 1 AND description IS NOT NULL ORDER BY rowid LIMIT 1)";
}

// A number of MiB as support reads it: to the nearest whole GiB, or under one.
std::string GiB(const std::string& mebibytes)
{
    return "CASE WHEN " + mebibytes + " < 1024 THEN '<1 GiB' ELSE ((" + mebibytes + " + 512) / 1024) || ' GiB' END";
}

// The CPU's maker: the CPUID vendor name, else (a report without the line, or a row of an
// older reader, which did not store it) the processor's name.
const char CpuVendor[] = R"sql(CASE
        WHEN reports.cpu_vendor = 'GenuineIntel' THEN 'Intel'
        WHEN reports.cpu_vendor IN ('AuthenticAMD', 'AMDisbetter!') THEN 'AMD'
        WHEN reports.cpu_vendor IS NOT NULL THEN reports.cpu_vendor
        WHEN cpu LIKE '%Intel%' THEN 'Intel'
        WHEN cpu LIKE '%AMD%' THEN 'AMD' END)sql";

}  // namespace

std::string WindowsRelease(const std::string& reports)
{
    const std::string table = reports.empty() ? "" : reports + ".";
    const std::string w = table + "windows", os = table + "os_product";
    return "CASE WHEN " + w + " GLOB 'Windows Server (build *' THEN substr(" + w + ", 1, instr(" + w + ", ')'))" +
           " WHEN " + w + " GLOB 'Windows Server 20[0-9][0-9] R2' OR " + w + " GLOB 'Windows Server 20[0-9][0-9] R2 *'" +
           " THEN substr(" + w + ", 1, 22)" +
           // The release is the first word after "Windows", the second after "Windows Server" or "Windows NT".
           " WHEN " + w + " GLOB 'Windows Server *' THEN substr(" + w + ", 1, 14 + instr(substr(" + w + ", 16) || ' ', ' '))" +
           " WHEN " + w + " GLOB 'Windows NT *' THEN substr(" + w + ", 1, 10 + instr(substr(" + w + ", 12) || ' ', ' '))" +
           " WHEN " + w + " GLOB 'Windows *' THEN substr(" + w + ", 1, 7 + instr(substr(" + w + ", 9) || ' ', ' '))" +
           " WHEN " + w + " IS NOT NULL THEN " + w +
           " WHEN " + os + " = 'Microsoft Windows Server&nbsp;2003 family,' THEN 'Windows Server 2003'" +
           " WHEN " + os + " = 'Microsoft Windows Millennium Edition' THEN 'Windows Me'" +
           " ELSE substr(" + os + ", 11) END";
}

GameGpu GameGpuOf(const Facts& facts)
{
    for (const Facts::GraphicsAdapter& adapter : facts.Adapters)
        if (!adapter.Software && !adapter.Description.empty()) return {adapter.Description, VendorOf(adapter.VendorId)};
    if (!facts.D3d9Description.empty()) return {facts.D3d9Description, VendorOf(facts.D3d9VendorId)};
    for (const Facts::Display& display : facts.Displays)
        if (!display.Description.empty()) return {display.Description, VendorOf(display.VendorId)};
    return {};
}

const std::string& GameGpuUpdate()
{
    static const std::string sql = "UPDATE reports SET (gpu, gpu_vendor) = (SELECT description, " + VendorSql("vendor_id") +
                                   " FROM adapters WHERE rowid = COALESCE(" + FirstAdapter("dxgi") + ", " +
                                   FirstAdapter("d3d9") + ", " + FirstAdapter("dxdiag") + "))";
    return sql;
}

const std::string& SurveyCount()
{
    static const std::string sql = [] {
        // A display line is "DEVICE [W x H R Hz ...], scale N% (or unknown)[, primary]...": the
        // closing section's primary display is the first whose piece after the scale is "primary".
        const std::string after = "substr(text, instr(text, ', scale ') + 8)";
        const std::string primary = "FROM displays WHERE report_id = reports.id AND source = 'dxgi' AND instr(text, ', scale ') > 0"
                                    " AND (substr(" + after + ", CASE WHEN " + after + " GLOB 'unknown*' THEN 8 ELSE instr(" +
                                    after + ", '%') + 1 END) || ',') GLOB ', primary,*' ORDER BY rowid LIMIT 1";
        return R"sql(
WITH facts AS MATERIALIZED (
    SELECT id, COALESCE(substr(report_date, 1, 7), 'unknown') AS month,
        )sql" + WindowsRelease("reports") + R"sql( AS release,
        CASE windows_architecture WHEN 'x64' THEN '64-bit' WHEN 'ARM64' THEN '64-bit' WHEN 'IA64' THEN '64-bit'
            WHEN 'x86' THEN '32-bit' ELSE 'unknown' END AS architecture,
        gpu_vendor, gpu,
        (SELECT memory FROM adapters WHERE rowid = )sql" + FirstAdapter("dxgi") + R"sql() AS video,
        memory_bytes / 1048576 AS memory_mib,
        )sql" + CpuVendor + R"sql( AS processor_vendor,
        CAST(cpu_count AS TEXT) AS cores,
        COALESCE((SELECT width || 'x' || height )sql" + primary + R"sql(),
                 (SELECT width || 'x' || height FROM displays WHERE report_id = reports.id AND source = 'dxdiag'
                  AND width IS NOT NULL AND height IS NOT NULL ORDER BY rowid LIMIT 1)) AS resolution,
        (SELECT scale || '%' )sql" + primary + R"sql() AS scaling
    FROM reports WHERE id BETWEEN ?1 AND ?2),
counts (id, month, dimension, value) AS (
    SELECT id, month, 'reports', '' FROM facts
    UNION ALL SELECT id, month, 'windows', release FROM facts
    UNION ALL SELECT id, month, 'architecture', architecture FROM facts
    UNION ALL SELECT id, month, 'gpu_vendor', gpu_vendor FROM facts
    UNION ALL SELECT id, month, 'gpu', gpu FROM facts
    UNION ALL SELECT id, month, 'video_memory', CASE
        WHEN video GLOB '[0-9]* MB' AND substr(video, 1, length(video) - 3) NOT GLOB '*[^0-9]*'
            THEN )sql" + GiB("CAST(video AS INTEGER)") + R"sql(
        WHEN video GLOB '[0-9]* MB or more' AND substr(video, 1, length(video) - 11) NOT GLOB '*[^0-9]*'
            THEN )sql" + GiB("CAST(video AS INTEGER)") + R"sql( || ' or more' END FROM facts
    UNION ALL SELECT id, month, 'memory', )sql" + GiB("memory_mib") + R"sql( FROM facts
    UNION ALL SELECT id, month, 'cpu_vendor', processor_vendor FROM facts
    UNION ALL SELECT id, month, 'cores', cores FROM facts
    UNION ALL SELECT id, month, 'resolution', resolution FROM facts
    UNION ALL SELECT id, month, 'scaling', scaling FROM facts
    UNION ALL SELECT DISTINCT id, month, 'finding', rule FROM facts JOIN findings ON findings.report_id = facts.id)
-- A report gives each value once: the upsert adds them up row by row, cheaper at each Add than a GROUP BY.
INSERT INTO survey (month, dimension, value, reports)
SELECT month, dimension, value, 1 FROM counts WHERE value IS NOT NULL
ON CONFLICT (dimension, month, value) DO UPDATE SET reports = reports + 1
)sql";
    }();
    return sql;
}

}  // namespace reader
