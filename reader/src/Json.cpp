#include <algorithm>
#include <initializer_list>
#include <utility>

#include <nlohmann/json.hpp>

#include "Cp932.h"
#include "Output.h"

namespace reader {

namespace {

using nlohmann::json;

json Number(long long value) { return value < 0 ? json(nullptr) : json(value); }

json CellsOf(const std::vector<Cell>& cells)
{
    json out = json::array();
    for (const Cell& cell : cells) out.push_back(Utf8(cell.Text));
    return out;
}

// An item written as it is made: a table of many rows never stands in memory twice.
void WriteItem(const Item& item, std::string& out)
{
    switch (item.Type) {
    case Item::Field: out += JsonText({{"name", Utf8(item.Name)}, {"value", Utf8(item.Value)}}); return;
    case Item::Text: out += JsonText({{"text", Utf8(item.Value)}}); return;
    case Item::Grid: {
        const Table& table = *item.Cells;
        out += "{\"columns\":" + JsonText(CellsOf(table.Header)) + ",\"rows\":[";
        for (size_t n = 0; n < table.Rows.size(); ++n) {
            const auto raw = table.Raw.find(n);
            out += n == 0 ? "" : ",";
            out += JsonText(raw != table.Raw.end() ? json(Utf8(raw->second)) : CellsOf(table.Rows[n]));
        }
        out += "]}";
        return;
    }
    case Item::Blank: break;
    }
}

// The sections, keys in the order the rest of the line has them (by name).
std::string SectionsOf(const Report& report)
{
    std::string out = "[";
    for (const Section& section : report.Sections) {
        out += out.size() == 1 ? "{" : ",{";
        if (section.Failed) out += "\"failure\":" + JsonText(Utf8(section.Failure)) + ",";
        out += "\"id\":" + JsonText(section.Id) + ",\"items\":[";
        bool first = true;
        for (const Item& item : section.Items) {
            if (item.Type == Item::Blank) continue;
            out += first ? "" : ",";
            first = false;
            WriteItem(item, out);
        }
        out += "],\"line\":" + std::to_string(section.Line) + ",\"status\":";
        out += section.Failed ? "\"failed\"}" : section.Partial ? "\"partial\"}" : "\"read\"}";
    }
    return out + "]";
}

json FactsOf(const Facts& f)
{
    json displays = json::array(), processes = json::array(), services = json::array(), drives = json::array(),
         networks = json::array(), adapters = json::array(), sounds = json::array(), failures = json::array();
    for (const auto& d : f.Displays)
        displays.push_back({{"device", d.Device}, {"description", d.Description}, {"manufacturer", d.Manufacturer},
                            {"vendor_id", d.VendorId}, {"device_id", d.DeviceId},
                            {"driver_version", d.DriverVersion}, {"driver_date", d.DriverDate}, {"mode", d.Mode},
                            {"width", Number(d.Width)}, {"height", Number(d.Height)}, {"refresh", Number(d.Refresh)}});
    for (const auto& s : f.SoundDevices)
        sounds.push_back({{"description", s.Description}, {"driver_version", s.DriverVersion},
                          {"driver_date", s.DriverDate}, {"default", s.Default}});
    for (const auto& x : f.Failures) failures.push_back({{"section", x.Section}, {"line", x.Line}});
    for (const auto& p : f.Processes) processes.push_back({{"pid", Number(p.Pid)}, {"name", p.Name}, {"path", p.Path}});
    for (const auto& s : f.Services)
        services.push_back({{"kind", s.Kind}, {"display_name", s.DisplayName}, {"name", s.Name}, {"state", s.State}});
    for (const auto& d : f.Drives)
        drives.push_back({{"root", d.Root}, {"volume_name", d.VolumeName}, {"file_system", d.FileSystem},
                          {"type", d.Type}, {"total_bytes", Number(d.Total)}, {"free_bytes", Number(d.Free)}});
    for (const auto& n : f.NetworkAdapters)
        networks.push_back({{"name", n.Name}, {"description", n.Description}, {"address", n.Address}, {"ip", n.Ip},
                            {"mask", n.Mask}, {"gateway", n.Gateway}, {"dhcp", n.Dhcp}});
    // What newer reports add is written only where the report has it: an older report's JSON stays as it was.
    for (const auto& a : f.Adapters) {
        json adapter = {{"index", Number(a.Index)}, {"description", a.Description}, {"vendor_id", a.VendorId},
                        {"device_id", a.DeviceId}, {"dedicated_video_memory", a.DedicatedVideo},
                        {"driver_version", a.DriverVersion}, {"software", a.Software}, {"displays", a.Displays}};
        if (a.HasPreference())
            adapter["preference"] = {{"high_performance", a.HighPerformance}, {"minimum_power", a.MinimumPower}};
        if (a.HasDirect3D)
            adapter["direct3d"] = {{"feature_level", a.FeatureLevel}, {"level", Number(a.Level)},
                                   {"direct3d12", a.Direct3D12}, {"shader_model", a.ShaderModel}};
        if (std::any_of(a.Outputs.begin(), a.Outputs.end(), [](const Facts::Output& o) { return o.Newer(); })) {
            json& details = adapter["display_details"] = json::array();
            for (const auto& o : a.Outputs)
                details.push_back({{"device", o.Device}, {"width", Number(o.Width)}, {"height", Number(o.Height)},
                                   {"refresh", Number(o.Refresh)}, {"panel_refresh", Number(o.Panel)},
                                   {"scale", Number(o.Scale)}, {"primary", o.Primary}, {"hdr", o.Hdr},
                                   {"connection", o.Connection}, {"monitor", o.Monitor}});
        }
        adapters.push_back(adapter);
    }
    json current = {{"windows", f.Windows}, {"version", f.WindowsVersion}, {"build", f.WindowsBuild},
                    {"architecture", f.WindowsArchitecture}, {"runs_as", f.RunsAs}, {"power", f.Power},
                    {"adapters", adapters}};
    if (f.RemoteSession) current["remote_session"] = true;
    if (f.DisplayDevicesListed) {
        json& devices = current["display_devices"] = json::array();
        for (const auto& d : f.DisplayDevices)
            devices.push_back({{"name", d.Name}, {"driver_version", d.DriverVersion}, {"driver_date", d.DriverDate},
                               {"state", d.State}, {"problem", Number(d.Problem)}, {"meaning", d.Meaning},
                               {"basic_driver", d.BasicDriver}});
    }
    if (!f.ProcessorFeatures.empty()) {
        json names = json::array(), off = json::array();
        for (const auto& feature : f.Features) {
            names.push_back(feature.Name);
            if (feature.OffInWindows) off.push_back(feature.Name);
        }
        current["processor_features"] = {{"known", f.FeaturesKnown}, {"names", names}, {"off_in_windows", off}};
    }
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, const std::string*>>{
             {"firmware", &f.Firmware}, {"secure_boot", &f.SecureBoot}, {"tpm", &f.Tpm},
             {"memory_integrity", &f.MemoryIntegrity}, {"test_signing", &f.TestSigning}, {"dotnet_framework", &f.DotNet}})
        if (!value->empty()) current[key] = *value;
    if (f.SecuritySoftwareListed) {
        json& products = current["security_software"] = json::array();
        for (const auto& p : f.SecurityProducts)
            products.push_back({{"name", p.Name}, {"state", p.State}, {"definitions", p.Definitions}});
    }
    if (!f.VcRuntimeX86.empty()) current["vc_runtime"] = {{"x86", f.VcRuntimeX86}, {"x64", f.VcRuntimeX64}};
    if (f.DirectX9ExtrasListed) current["directx9_extras"] = {{"present", f.DirectX9Present}, {"missing", f.DirectX9Missing}};
    if (!f.PowerPlan.empty()) current["power_plan"] = {{"name", f.PowerPlan}, {"battery_saver", f.BatterySaver}};
    if (f.CrashesListed) {
        json& crashes = current["crashes"] = json::array();
        for (const auto& c : f.Crashes)
            crashes.push_back({{"time", c.Time}, {"program", c.Program}, {"program_version", c.ProgramVersion},
                               {"module", c.Module}, {"module_version", c.ModuleVersion}, {"exception", c.Exception},
                               {"offset", c.Offset}});
    }
    return {
        {"processor", {{"name", f.CpuName}, {"id", f.CpuId}, {"vendor", f.Vendor}, {"clock_mhz", Number(f.Clock)},
                       {"count", Number(f.Processors)}, {"family", Number(f.Family)},
                       {"extended_family", Number(f.ExtendedFamily)}, {"true_family", Number(f.TrueFamily)},
                       {"model", Number(f.Model)}, {"stepping", Number(f.Stepping)}}},
        {"memory", {{"total_bytes", Number(f.MemoryTotal)}, {"free_bytes", Number(f.MemoryFree)}}},
        {"os", {{"row", f.OsRow}, {"product", f.OsProduct}, {"edition", f.OsEdition},
                {"service_pack", f.OsServicePack}, {"build", Number(f.OsBuild)}}},
        {"names", {{"computer", f.Computer}, {"user", f.User}, {"system_directory", f.SystemDirectory},
                   {"windows_directory", f.WindowsDirectory}}},
        {"report_date", f.ReportDate},
        {"directx", {{"failed", f.DirectXFailed}, {"version", f.DirectX}, {"os_major", Number(f.OsMajor)}}},
        {"d3d9", {{"description", f.D3d9Description}, {"driver_version", f.D3d9DriverVersion}, {"whql", f.D3d9Whql},
                  {"vendor_id", f.D3d9VendorId}, {"device_id", f.D3d9DeviceId}}},
        {"displays", displays},
        {"sound_devices", sounds},
        {"processes", processes},
        {"services", services},
        {"network", {{"host", f.Host}, {"domain", f.Domain}, {"dns_servers", f.DnsServers}, {"adapters", networks}}},
        {"drives", drives},
        {"current", current},
        {"not_collected", failures},
        {"missing_sections", f.Missing},
    };
}

}  // namespace

std::string JsonText(const nlohmann::json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

const char* StatusName(Status status)
{
    switch (status) {
    case Status::Read: return "read";
    case Status::Partial: return "partial";
    case Status::Unreadable: break;
    }
    return "unreadable";
}

std::string JsonLine(const Loaded& loaded)
{
    json problems = json::array(), findings = json::array();
    for (const Problem& p : loaded.Model.Problems) problems.push_back({{"line", p.Line}, {"message", Utf8(p.Message)}});
    for (const Finding& f : loaded.Findings) findings.push_back({{"id", f.Id}, {"text", f.Text}});
    json out = {{"schema", JsonSchemaVersion}, {"file", loaded.Path}, {"part", loaded.Part}, {"parts", loaded.Parts},
                {"sha256", loaded.Sha256}, {"status", StatusName(loaded.Model.State)}, {"notes", loaded.Notes},
                {"problems", problems}};
    if (loaded.Model.State != Status::Unreadable) {
        out["facts"] = FactsOf(loaded.Data);
        out["findings"] = findings;
        out["sections"] = nullptr;  // written in its place below
    }
    std::string line = JsonText(out);
    // Quotes inside a text are escaped, so this is the key and nothing else.
    const std::string placeholder = "\"sections\":null";
    const size_t at = line.find(placeholder);
    if (at != std::string::npos) line.replace(at + placeholder.size() - 4, 4, SectionsOf(loaded.Model));
    return line;
}

}  // namespace reader
