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

json ItemOf(const Item& item)
{
    switch (item.Type) {
    case Item::Field: return {{"name", Utf8(item.Name)}, {"value", Utf8(item.Value)}};
    case Item::Text: return {{"text", Utf8(item.Value)}};
    case Item::Grid: {
        json rows = json::array();
        for (size_t n = 0; n < item.Cells.Rows.size(); ++n) {
            const auto raw = item.Cells.Raw.find(n);
            rows.push_back(raw != item.Cells.Raw.end() ? json(Utf8(raw->second)) : CellsOf(item.Cells.Rows[n]));
        }
        return {{"columns", CellsOf(item.Cells.Header)}, {"rows", rows}};
    }
    case Item::Blank: break;
    }
    return nullptr;
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
    for (const auto& a : f.Adapters)
        adapters.push_back({{"index", Number(a.Index)}, {"description", a.Description}, {"vendor_id", a.VendorId},
                            {"device_id", a.DeviceId}, {"dedicated_video_memory", a.DedicatedVideo},
                            {"driver_version", a.DriverVersion}, {"software", a.Software}, {"displays", a.Displays}});
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
        {"current", {{"windows", f.Windows}, {"version", f.WindowsVersion}, {"build", f.WindowsBuild},
                     {"architecture", f.WindowsArchitecture}, {"runs_as", f.RunsAs}, {"power", f.Power},
                     {"adapters", adapters}}},
        {"not_collected", failures},
        {"missing_sections", f.Missing},
    };
}

}  // namespace

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
    json problems = json::array(), findings = json::array(), sections = json::array();
    for (const Problem& p : loaded.Model.Problems) problems.push_back({{"line", p.Line}, {"message", Utf8(p.Message)}});
    for (const Finding& f : loaded.Findings) findings.push_back({{"id", f.Id}, {"text", f.Text}});
    for (const Section& section : loaded.Model.Sections) {
        json items = json::array();
        for (const Item& item : section.Items)
            if (item.Type != Item::Blank) items.push_back(ItemOf(item));
        json entry = {{"id", section.Id}, {"line", section.Line},
                      {"status", section.Failed ? "failed" : section.Partial ? "partial" : "read"}, {"items", items}};
        if (section.Failed) entry["failure"] = Utf8(section.Failure);
        sections.push_back(entry);
    }
    json out = {{"schema", JsonSchemaVersion}, {"file", loaded.Path}, {"part", loaded.Part}, {"parts", loaded.Parts},
                {"sha256", loaded.Sha256}, {"status", StatusName(loaded.Model.State)}, {"notes", loaded.Notes},
                {"problems", problems}};
    if (loaded.Model.State != Status::Unreadable) {
        out["facts"] = FactsOf(loaded.Data);
        out["findings"] = findings;
        out["sections"] = sections;
    }
    // Paths from the command line may be any bytes: never let one stop the line.
    return out.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace reader
