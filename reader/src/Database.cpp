#include "Database.h"

#include <sqlite3.h>
#include <zlib.h>

#include <algorithm>
#include <climits>

#include "Cp932.h"
#include "Output.h"
#include "Parser.h"
#include "Render.h"
#include "Survey.h"

namespace reader {

namespace {

// The schema's version, kept in the database (PRAGMA user_version): 0 is a
// database from before it was counted, which had version 1's tables.
const int SchemaVersion = 5;

// Marks a database as this reader's (PRAGMA application_id, "EnvR"): one of
// another program's is never changed.
const long long ApplicationId = 0x456E7652;

// How long a step waits for another importer's transaction (or a checkpoint) to end.
const int BusyMilliseconds = 30000;

// What each version adds to the one before, for a database made by an older reader.
const char* const Migrations[] = {
    /* 1 -> 2 */ R"sql(
ALTER TABLE reports ADD COLUMN part INTEGER NOT NULL DEFAULT 1;
ALTER TABLE reports ADD COLUMN parts INTEGER NOT NULL DEFAULT 1;
ALTER TABLE reports ADD COLUMN preface TEXT;
ALTER TABLE reports ADD COLUMN host TEXT;
ALTER TABLE reports ADD COLUMN domain TEXT;
ALTER TABLE reports ADD COLUMN dns_servers TEXT;
)sql",
    /* 2 -> 3: the closing section's newer lines; display_devices is made with the schema */ R"sql(
ALTER TABLE reports ADD COLUMN remote_session INTEGER;
ALTER TABLE adapters ADD COLUMN high_performance INTEGER;
ALTER TABLE adapters ADD COLUMN minimum_power INTEGER;
ALTER TABLE adapters ADD COLUMN feature_level TEXT;
ALTER TABLE adapters ADD COLUMN feature_level_number INTEGER;
ALTER TABLE adapters ADD COLUMN direct3d12 INTEGER;
ALTER TABLE adapters ADD COLUMN shader_model TEXT;
ALTER TABLE displays ADD COLUMN panel_refresh INTEGER;
ALTER TABLE displays ADD COLUMN hdr TEXT;
ALTER TABLE displays ADD COLUMN connection TEXT;
ALTER TABLE displays ADD COLUMN monitor TEXT;
)sql",
    /* 3 -> 4: the Windows block's newer lines; security_products and crashes are made with the schema */ R"sql(
ALTER TABLE reports ADD COLUMN processor_features TEXT;
ALTER TABLE reports ADD COLUMN features_off_in_windows TEXT;
ALTER TABLE reports ADD COLUMN firmware TEXT;
ALTER TABLE reports ADD COLUMN secure_boot TEXT;
ALTER TABLE reports ADD COLUMN tpm TEXT;
ALTER TABLE reports ADD COLUMN memory_integrity TEXT;
ALTER TABLE reports ADD COLUMN test_signing TEXT;
ALTER TABLE reports ADD COLUMN vc_runtime_x86 TEXT;
ALTER TABLE reports ADD COLUMN vc_runtime_x64 TEXT;
ALTER TABLE reports ADD COLUMN dotnet_framework TEXT;
ALTER TABLE reports ADD COLUMN directx9_extras TEXT;
ALTER TABLE reports ADD COLUMN directx9_extras_missing TEXT;
ALTER TABLE reports ADD COLUMN power_plan TEXT;
ALTER TABLE reports ADD COLUMN battery_saver TEXT;
)sql",
    /* 4 -> 5: the support desk's columns; report_texts, survey and the new indexes are made with the
       schema (findings_rule gains report_id, so that a list of a rule's reports needs no table), gpu
       and the survey are derived from the rows once they are (DeriveFromRows). A display's scale is
       read back from its line: "..., scale 125%, ...". */ R"sql(
DROP INDEX IF EXISTS findings_rule;
ALTER TABLE reports ADD COLUMN added TEXT;
ALTER TABLE reports ADD COLUMN gpu TEXT;
ALTER TABLE reports ADD COLUMN gpu_vendor TEXT;
ALTER TABLE reports ADD COLUMN cpu_vendor TEXT;
UPDATE reports SET added = datetime('now');
ALTER TABLE displays ADD COLUMN scale INTEGER;
UPDATE displays SET scale = CAST(after AS INTEGER)
FROM (SELECT rowid AS at, substr(text, instr(text, ', scale ') + 8) AS after FROM displays
      WHERE source = 'dxgi' AND instr(text, ', scale ') > 0)
WHERE displays.rowid = at AND after GLOB '[0-9]*' AND substr(after, length(CAST(after AS INTEGER)) + 1, 1) = '%';
)sql",
};

const char Schema[] = R"sql(
PRAGMA foreign_keys = ON;
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY, file TEXT NOT NULL, sha256 TEXT NOT NULL UNIQUE, status TEXT NOT NULL,
    report_date TEXT, computer TEXT, user TEXT, cpu TEXT, cpu_family INTEGER, cpu_model INTEGER,
    cpu_count INTEGER, clock_mhz INTEGER, memory_bytes INTEGER, os_row TEXT, os_product TEXT, os_edition TEXT,
    os_service_pack TEXT, os_build INTEGER, windows TEXT, windows_version TEXT, windows_build TEXT,
    windows_architecture TEXT, directx TEXT, d3d9_adapter TEXT, d3d9_driver_version TEXT, whql TEXT,
    part INTEGER NOT NULL DEFAULT 1, parts INTEGER NOT NULL DEFAULT 1, preface TEXT, host TEXT, domain TEXT,
    dns_servers TEXT, remote_session INTEGER, processor_features TEXT, features_off_in_windows TEXT, firmware TEXT, secure_boot TEXT, tpm TEXT,
    memory_integrity TEXT, test_signing TEXT, vc_runtime_x86 TEXT, vc_runtime_x64 TEXT, dotnet_framework TEXT,
    directx9_extras TEXT, directx9_extras_missing TEXT, power_plan TEXT, battery_saver TEXT, added TEXT, gpu TEXT,
    gpu_vendor TEXT, cpu_vendor TEXT);
CREATE TABLE IF NOT EXISTS processes (report_id INTEGER NOT NULL REFERENCES reports(id), pid INTEGER,
    name TEXT, path TEXT);
CREATE TABLE IF NOT EXISTS services (report_id INTEGER NOT NULL REFERENCES reports(id), kind TEXT,
    display_name TEXT, name TEXT, state TEXT);
CREATE TABLE IF NOT EXISTS adapters (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    position INTEGER, description TEXT, vendor_id TEXT, device_id TEXT, driver_version TEXT, driver_date TEXT,
    memory TEXT, software INTEGER, high_performance INTEGER, minimum_power INTEGER, feature_level TEXT,
    feature_level_number INTEGER, direct3d12 INTEGER, shader_model TEXT);
CREATE TABLE IF NOT EXISTS displays (report_id INTEGER NOT NULL REFERENCES reports(id), source TEXT,
    adapter INTEGER, device TEXT, width INTEGER, height INTEGER, refresh INTEGER, text TEXT, panel_refresh INTEGER,
    hdr TEXT, connection TEXT, monitor TEXT, scale INTEGER);
CREATE TABLE IF NOT EXISTS display_devices (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, driver_version TEXT, driver_date TEXT, state TEXT, problem_code INTEGER, meaning TEXT,
    basic_driver INTEGER);
CREATE TABLE IF NOT EXISTS security_products (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, state TEXT, definitions TEXT);
CREATE TABLE IF NOT EXISTS crashes (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER, time TEXT,
    program TEXT, program_version TEXT, module TEXT, module_version TEXT, exception TEXT, offset TEXT);
CREATE TABLE IF NOT EXISTS drives (report_id INTEGER NOT NULL REFERENCES reports(id), root TEXT,
    volume_name TEXT, file_system TEXT, type TEXT, total_bytes INTEGER, free_bytes INTEGER);
CREATE TABLE IF NOT EXISTS findings (report_id INTEGER NOT NULL REFERENCES reports(id), rule TEXT, text TEXT);
CREATE TABLE IF NOT EXISTS sound_devices (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    description TEXT, driver_version TEXT, driver_date TEXT, is_default INTEGER);
CREATE TABLE IF NOT EXISTS network_adapters (report_id INTEGER NOT NULL REFERENCES reports(id), position INTEGER,
    name TEXT, description TEXT, address TEXT, ip TEXT, mask TEXT, gateway TEXT, dhcp INTEGER);
CREATE TABLE IF NOT EXISTS problems (report_id INTEGER NOT NULL REFERENCES reports(id), line INTEGER,
    message TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS notes (report_id INTEGER NOT NULL REFERENCES reports(id), note TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS report_texts (report_id INTEGER PRIMARY KEY REFERENCES reports(id), size INTEGER NOT NULL,
    zlib BLOB NOT NULL);
CREATE TABLE IF NOT EXISTS survey (month TEXT NOT NULL, dimension TEXT NOT NULL, value TEXT NOT NULL,
    reports INTEGER NOT NULL, PRIMARY KEY (dimension, month, value)) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS sound_devices_report ON sound_devices(report_id);
CREATE INDEX IF NOT EXISTS network_adapters_report ON network_adapters(report_id);
CREATE INDEX IF NOT EXISTS problems_report ON problems(report_id);
CREATE INDEX IF NOT EXISTS notes_report ON notes(report_id);
CREATE INDEX IF NOT EXISTS display_devices_report ON display_devices(report_id);
CREATE INDEX IF NOT EXISTS security_products_report ON security_products(report_id);
CREATE INDEX IF NOT EXISTS crashes_report ON crashes(report_id);
CREATE INDEX IF NOT EXISTS crashes_module ON crashes(module);
CREATE INDEX IF NOT EXISTS processes_name ON processes(name);
CREATE INDEX IF NOT EXISTS processes_report ON processes(report_id);
CREATE INDEX IF NOT EXISTS services_name ON services(name, state);
CREATE INDEX IF NOT EXISTS services_report ON services(report_id);
CREATE INDEX IF NOT EXISTS adapters_description ON adapters(description, driver_version);
CREATE INDEX IF NOT EXISTS adapters_report ON adapters(report_id);
CREATE INDEX IF NOT EXISTS displays_report ON displays(report_id);
CREATE INDEX IF NOT EXISTS drives_report ON drives(report_id);
CREATE INDEX IF NOT EXISTS findings_rule ON findings(rule, report_id);
CREATE INDEX IF NOT EXISTS findings_report ON findings(report_id);
CREATE INDEX IF NOT EXISTS reports_os ON reports(os_product, os_build);
CREATE INDEX IF NOT EXISTS reports_date ON reports(report_date DESC, id DESC);
CREATE INDEX IF NOT EXISTS reports_machine ON reports(computer, user);
CREATE INDEX IF NOT EXISTS reports_user ON reports(user);
CREATE INDEX IF NOT EXISTS reports_gpu_vendor ON reports(gpu_vendor, report_date DESC, id DESC);
CREATE INDEX IF NOT EXISTS reports_status ON reports(status, report_date DESC, id DESC);
CREATE INDEX IF NOT EXISTS reports_added ON reports(added);
)sql";

const char* const Sql[] = {
    "SELECT id FROM reports WHERE sha256 = ?",
    "INSERT INTO reports (file, sha256, status, report_date, computer, user, cpu, cpu_family, cpu_model, cpu_count,"
    " clock_mhz, memory_bytes, os_row, os_product, os_edition, os_service_pack, os_build, windows, windows_version,"
    " windows_build, windows_architecture, directx, d3d9_adapter, d3d9_driver_version, whql, part, parts, preface,"
    " host, domain, dns_servers, remote_session, processor_features, features_off_in_windows, firmware, secure_boot,"
    " tpm, memory_integrity, test_signing, vc_runtime_x86, vc_runtime_x64, dotnet_framework, directx9_extras,"
    " directx9_extras_missing, power_plan, battery_saver, gpu, gpu_vendor, cpu_vendor, added)"
    " VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
    " datetime('now'))",
    "INSERT INTO processes VALUES (?,?,?,?)",
    "INSERT INTO services VALUES (?,?,?,?,?)",
    "INSERT INTO adapters VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
    "INSERT INTO displays VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)",
    "INSERT INTO drives VALUES (?,?,?,?,?,?,?)",
    "INSERT INTO findings VALUES (?,?,?)",
    "INSERT INTO sound_devices VALUES (?,?,?,?,?,?)",
    "INSERT INTO network_adapters VALUES (?,?,?,?,?,?,?,?,?)",
    "INSERT INTO problems VALUES (?,?,?)",
    "INSERT INTO notes VALUES (?,?)",
    "INSERT INTO display_devices VALUES (?,?,?,?,?,?,?,?,?)",
    "INSERT INTO security_products VALUES (?,?,?,?,?)",
    "INSERT INTO crashes VALUES (?,?,?,?,?,?,?,?,?)",
    "INSERT INTO report_texts VALUES (?,?,?)",
    SurveyCount().c_str(),
};

// Binds values in order; an empty text or a negative number is NULL.
class TRow {
public:
    TRow(sqlite3_stmt* statement) : Statement(statement) { sqlite3_reset(Statement); }
    // A statement left open keeps its read transaction, and a later write would find its snapshot stale.
    ~TRow() { sqlite3_reset(Statement); }
    TRow(const TRow&) = delete;
    TRow& operator=(const TRow&) = delete;
    TRow& Text(const std::string& text)
    {
        BindText(Statement, ++At, text);
        return *this;
    }
    TRow& Number(long long value)
    {
        if (value < 0)
            sqlite3_bind_null(Statement, ++At);
        else
            sqlite3_bind_int64(Statement, ++At, value);
        return *this;
    }
    TRow& Blob(const std::string& bytes)
    {
        sqlite3_bind_blob(Statement, ++At, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // Columns the row's source does not have: a statement keeps its last values until bound again.
    TRow& Nulls(int count)
    {
        while (count-- > 0) sqlite3_bind_null(Statement, ++At);
        return *this;
    }
    int Step() { return sqlite3_step(Statement); }

private:
    sqlite3_stmt* Statement;
    int At = 0;
};

}  // namespace

TDatabase::TDatabase(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &Handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        Fail();
        sqlite3_close(Handle);
        Handle = nullptr;
        return;
    }
    // Importers and readers share a database: readers never block a writer
    // (WAL), and a writer waits its turn rather than fail.
    sqlite3_busy_timeout(Handle, BusyMilliseconds);
    bool ready = Exec("PRAGMA foreign_keys = ON") && Migrate();
    // Every table whose rows belong to a report, which a report's deletion empties.
    sqlite3_stmt* owned = nullptr;
    ready = ready && (sqlite3_prepare_v2(Handle,
                                         "SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND m.name <> 'reports' AND"
                                         " EXISTS (SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'report_id')"
                                         " ORDER BY m.name",
                                         -1, &owned, nullptr) == SQLITE_OK ||
                      Fail());
    while (ready && sqlite3_step(owned) == SQLITE_ROW) Owned.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(owned, 0)));
    sqlite3_finalize(owned);
    for (int n = 0; ready && n < Statements; ++n)
        if (sqlite3_prepare_v2(Handle, Sql[n], -1, &Prepared[n], nullptr) != SQLITE_OK) {
            Fail();
            Message = "the database's tables are not those of envcheck-read: " + Message;
            ready = false;
        }
    // WAL only once the database is known to be this reader's: another's is left byte for byte.
    ready = ready && SwitchToWal() && Exec("PRAGMA synchronous = NORMAL") && Exec("PRAGMA secure_delete = ON");
    if (ready) return;
    for (sqlite3_stmt*& statement : Prepared) {
        sqlite3_finalize(statement);
        statement = nullptr;  // the destructor finalizes what is left
    }
    sqlite3_close(Handle);
    Handle = nullptr;
}

TDatabase::~TDatabase()
{
    for (sqlite3_stmt* statement : Prepared) sqlite3_finalize(statement);
    if (Handle != nullptr) sqlite3_close(Handle);
    if (Deflater != nullptr) deflateEnd(Deflater);
    delete Deflater;
}

// Keeps the first error of a step: what follows it (a rolled back transaction's
// constraint failures) only hides the cause.
bool TDatabase::Fail()
{
    if (!Message.empty()) return false;
    if (Handle == nullptr) {
        Message = "out of memory";
        return false;
    }
    Message = sqlite3_errmsg(Handle);
    if (sqlite3_errcode(Handle) == SQLITE_FULL) Message = "disk full (" + Message + ")";
    return false;
}

bool TDatabase::SwitchToWal()
{
    // The switch needs the database to itself. While another importer commits its
    // schema, SQLite answers BUSY at once rather than wait (the two could wait on
    // each other), so the switch is asked again until the busy timeout is spent.
    for (int waited = 0;; waited += 10) {
        const int result = sqlite3_exec(Handle, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        if (result == SQLITE_OK) return true;
        if (result != SQLITE_BUSY || waited >= BusyMilliseconds) return Fail();
        sqlite3_sleep(10);
    }
}

bool TDatabase::Exec(const char* sql) { return sqlite3_exec(Handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK || Fail(); }

long long TDatabase::Scalar(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    long long value = -1;
    if (sqlite3_prepare_v2(Handle, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return value;
}

std::string TDatabase::Text(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    std::string value;
    if (sqlite3_prepare_v2(Handle, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW &&
        sqlite3_column_text(statement, 0) != nullptr)
        value = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return value;
}

bool TDatabase::Migrate()
{
    // Read and changed in one write transaction: two importers starting at once make it once.
    if (!Exec("BEGIN IMMEDIATE")) return false;
    const long long version = Scalar("PRAGMA user_version");
    const long long reports = Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'reports'");
    const long long tables = Scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'");
    const long long application = Scalar("PRAGMA application_id");
    if (version < 0 || reports < 0 || tables < 0 || application < 0) {
        Fail();
        Exec("ROLLBACK");
        return false;
    }
    const bool foreign = (application != 0 && application != ApplicationId) || (tables != 0 && reports == 0);
    if (foreign) {
        Exec("ROLLBACK");
        Message = "the database is another program's (it has tables of its own): it is left as it is";
        return false;
    }
    if (version > SchemaVersion) {
        Exec("ROLLBACK");
        Message = "the database has schema version " + std::to_string(version) + ", newer than this reader's " +
                  std::to_string(SchemaVersion) + ": it is left as it is";
        return false;
    }
    if (version == SchemaVersion) return Exec("COMMIT");
    // A new database needs no step, only the schema; an older one each step. All of it,
    // and the version, in one transaction, so that it is never half made.
    bool done = true;
    for (long long from = reports == 0 ? SchemaVersion : std::max(version, 1LL); done && from < SchemaVersion; ++from)
        done = Exec(Migrations[from - 1]);
    // What version 5 derives from a report's rows, for the rows an older reader stored.
    const bool derive = reports != 0 && version < 5;
    // The desk's inbox filters by the release the survey counts: an index on that expression.
    const std::string release =
        "CREATE INDEX IF NOT EXISTS reports_release ON reports(" + WindowsRelease("") + ", report_date DESC, id DESC)";
    done = done && Exec(Schema) && Exec(release.c_str()) && (!derive || DeriveFromRows()) &&
           Exec(("PRAGMA user_version = " + std::to_string(SchemaVersion)).c_str()) &&
           Exec(("PRAGMA application_id = " + std::to_string(ApplicationId)).c_str());
    if (done) return Exec("COMMIT");
    // An error of SQL is a table of another shape; any other (a full disk) is the disk's.
    const bool shape = sqlite3_errcode(Handle) == SQLITE_ERROR;
    const std::string error = Message;
    Exec("ROLLBACK");
    Message = shape ? "the database's tables are not those of envcheck-read: " + error
                    : "the database could not be brought to schema version " + std::to_string(SchemaVersion) + ": " + error;
    return false;
}

bool TDatabase::DeriveFromRows()
{
    if (!Exec(GameGpuUpdate().c_str())) return false;
    sqlite3_stmt* statement = nullptr;
    bool done = sqlite3_prepare_v2(Handle, SurveyCount().c_str(), -1, &statement, nullptr) == SQLITE_OK;
    if (done) {
        sqlite3_bind_int64(statement, 1, LLONG_MIN);
        sqlite3_bind_int64(statement, 2, LLONG_MAX);
        done = sqlite3_step(statement) == SQLITE_DONE;
    }
    if (!done) Fail();
    sqlite3_finalize(statement);
    return done;
}

bool TDatabase::Begin()
{
    Message.clear();
    return Exec("BEGIN IMMEDIATE");
}

bool TDatabase::Commit()
{
    Message.clear();
    return Exec("COMMIT");
}

void TDatabase::Rollback()
{
    const std::string error = Message;
    if (sqlite3_get_autocommit(Handle) == 0) Exec("ROLLBACK");  // SQLite may have rolled back itself
    Message = error;
}

bool TDatabase::Add(const Loaded& loaded)
{
    Message.clear();
    TRow known(Prepared[Known]);
    const int found = known.Text(loaded.Sha256).Step();
    if (found == SQLITE_ROW) return false;
    if (found != SQLITE_DONE) return Fail();
    // A report goes in whole or not at all.
    if (!Exec("SAVEPOINT report")) return false;
    long long id = -1;
    if (Insert(loaded, id)) {
        if (!Exec("RELEASE report")) return false;
        Last = id;
        return true;
    }
    const std::string error = Message;
    Exec("ROLLBACK TO report");
    Exec("RELEASE report");
    Message = error;
    return false;
}

bool TDatabase::Insert(const Loaded& loaded, long long& id)
{
    const Facts& f = loaded.Data;
    TRow report(Prepared[Report]);
    report.Text(loaded.Path).Text(loaded.Sha256).Text(StatusName(loaded.Model.State)).Text(f.ReportDate);
    report.Text(f.Computer).Text(f.User).Text(f.CpuName).Number(f.TrueFamily).Number(f.Model).Number(f.Processors);
    report.Number(f.Clock).Number(f.MemoryTotal).Text(f.OsRow).Text(f.OsProduct).Text(f.OsEdition);
    report.Text(f.OsServicePack).Number(f.OsBuild).Text(f.Windows).Text(f.WindowsVersion).Text(f.WindowsBuild);
    report.Text(f.WindowsArchitecture).Text(f.DirectX).Text(f.D3d9Description).Text(f.D3d9DriverVersion).Text(f.D3d9Whql);
    std::string preface, dns;
    if (const Section* section = loaded.Model.Find("preface"))
        for (const Item& item : section->Items) preface += Utf8(item.Indent + item.Value) + "\n";
    for (const std::string& server : f.DnsServers) dns += (dns.empty() ? "" : " ") + server;
    report.Number(static_cast<long long>(loaded.Part)).Number(static_cast<long long>(loaded.Parts)).Text(preface);
    report.Text(f.Host).Text(f.Domain).Text(dns).Number(f.RemoteSession ? 1 : -1);
    // Lists blank-separated; "none" where the report's line lists none, so that it is not NULL.
    auto words = [](const std::vector<std::string>& list, const char* none) {
        std::string text;
        for (const std::string& word : list) text += (text.empty() ? "" : " ") + word;
        return text.empty() ? std::string(none) : text;
    };
    std::vector<std::string> features, off;
    for (const auto& feature : f.Features) {
        features.push_back(feature.Name);
        if (feature.OffInWindows) off.push_back(feature.Name);
    }
    report.Text(f.FeaturesKnown ? words(features, "none") : f.ProcessorFeatures).Text(words(off, ""));
    report.Text(f.Firmware).Text(f.SecureBoot).Text(f.Tpm).Text(f.MemoryIntegrity).Text(f.TestSigning);
    report.Text(f.VcRuntimeX86).Text(f.VcRuntimeX64).Text(f.DotNet);
    report.Text(f.DirectX9ExtrasListed ? words(f.DirectX9Present, "none") : "");
    report.Text(f.DirectX9ExtrasListed ? words(f.DirectX9Missing, "none") : "");
    report.Text(f.PowerPlan).Text(f.BatterySaver);
    const GameGpu gpu = GameGpuOf(f);
    report.Text(gpu.Name).Text(gpu.Vendor).Text(f.Vendor);
    if (report.Step() != SQLITE_DONE) return Fail();
    id = sqlite3_last_insert_rowid(Handle);
    bool ok = true;
    auto done = [&](TRow& row) { ok = ok && (row.Step() == SQLITE_DONE || Fail()); };
    for (const auto& p : f.Processes) {
        TRow row(Prepared[Process]);
        row.Number(id).Number(p.Pid).Text(p.Name).Text(p.Path);
        done(row);
    }
    for (const auto& s : f.Services) {
        TRow row(Prepared[Service]);
        row.Number(id).Text(s.Kind).Text(s.DisplayName).Text(s.Name).Text(s.State);
        done(row);
    }
    if (!f.D3d9Description.empty()) {
        TRow row(Prepared[Adapter]);
        row.Number(id).Text("d3d9").Number(0).Text(f.D3d9Description).Text(f.D3d9VendorId).Text(f.D3d9DeviceId);
        row.Text(f.D3d9DriverVersion);
        row.Text("").Text("").Number(0).Nulls(6);
        done(row);
    }
    long long position = 0;
    for (const auto& d : f.Displays) {
        TRow adapter(Prepared[Adapter]);
        adapter.Number(id).Text("dxdiag").Number(position).Text(d.Description).Text(d.VendorId).Text(d.DeviceId);
        adapter.Text(d.DriverVersion).Text(d.DriverDate).Text("").Number(0).Nulls(6);
        done(adapter);
        TRow row(Prepared[Display]);
        row.Number(id).Text("dxdiag").Number(position++).Text(d.Device).Number(d.Width).Number(d.Height);
        row.Number(d.Refresh).Text(d.Mode).Nulls(5);
        done(row);
    }
    // Where one adapter has a preference, Windows named its choices: the others are neither.
    const bool preferences = std::any_of(f.Adapters.begin(), f.Adapters.end(), [](const auto& a) { return a.HasPreference(); });
    auto flag = [](bool known, bool value) { return known ? (value ? 1 : 0) : -1; };
    for (const auto& a : f.Adapters) {
        TRow adapter(Prepared[Adapter]);
        adapter.Number(id).Text("dxgi").Number(a.Index).Text(a.Description).Text(a.VendorId).Text(a.DeviceId);
        adapter.Text(a.DriverVersion).Text("").Text(a.DedicatedVideo).Number(a.Software ? 1 : 0);
        adapter.Number(flag(preferences, a.HighPerformance)).Number(flag(preferences, a.MinimumPower));
        adapter.Text(a.FeatureLevel).Number(a.Level).Number(flag(a.HasDirect3D, a.Direct3D12)).Text(a.ShaderModel);
        done(adapter);
        for (size_t n = 0; n < a.Displays.size(); ++n) {
            const Facts::Output& o = a.Outputs[n];
            TRow row(Prepared[Display]);
            row.Number(id).Text("dxgi").Number(a.Index).Text(a.Displays[n].substr(0, a.Displays[n].find(' ')));
            row.Number(o.Width).Number(o.Height).Number(o.Refresh).Text(a.Displays[n]);
            row.Number(o.Panel).Text(o.Hdr).Text(o.Connection).Text(o.Monitor).Number(o.Scale);
            done(row);
        }
    }
    position = 0;
    for (const auto& d : f.DisplayDevices) {
        TRow row(Prepared[DisplayDeviceRow]);
        row.Number(id).Number(position++).Text(d.Name).Text(d.DriverVersion).Text(d.DriverDate).Text(d.State);
        row.Number(d.Problem).Text(d.Meaning).Number(d.BasicDriver ? 1 : 0);
        done(row);
    }
    position = 0;
    for (const auto& p : f.SecurityProducts) {
        TRow row(Prepared[SecurityProductRow]);
        row.Number(id).Number(position++).Text(p.Name).Text(p.State).Text(p.Definitions);
        done(row);
    }
    position = 0;
    for (const auto& c : f.Crashes) {
        TRow row(Prepared[CrashRow]);
        row.Number(id).Number(position++).Text(c.Time).Text(c.Program).Text(c.ProgramVersion).Text(c.Module);
        row.Text(c.ModuleVersion).Text(c.Exception).Text(c.Offset);
        done(row);
    }
    for (const auto& d : f.Drives) {
        TRow row(Prepared[Drive]);
        row.Number(id).Text(d.Root).Text(d.VolumeName).Text(d.FileSystem).Text(d.Type).Number(d.Total).Number(d.Free);
        done(row);
    }
    for (const auto& finding : loaded.Findings) {
        TRow row(Prepared[Finding]);
        row.Number(id).Text(finding.Id).Text(finding.Text);
        done(row);
    }
    position = 0;
    for (const auto& s : f.SoundDevices) {
        TRow row(Prepared[Sound]);
        row.Number(id).Number(position++).Text(s.Description).Text(s.DriverVersion).Text(s.DriverDate);
        row.Number(s.Default ? 1 : 0);
        done(row);
    }
    position = 0;
    for (const auto& n : f.NetworkAdapters) {
        TRow row(Prepared[Network]);
        row.Number(id).Number(position++).Text(n.Name).Text(n.Description).Text(n.Address).Text(n.Ip).Text(n.Mask);
        row.Text(n.Gateway).Number(n.Dhcp ? 1 : 0);
        done(row);
    }
    for (const auto& p : loaded.Model.Problems) {
        TRow row(Prepared[ProblemRow]);
        row.Number(id).Number(p.Line == 0 ? -1 : static_cast<long long>(p.Line)).Text(Utf8(p.Message));
        done(row);
    }
    for (const std::string& note : loaded.Notes) {
        TRow row(Prepared[Note]);
        row.Number(id).Text(note);
        done(row);
    }
    if (!ok) return false;
    // The text as read, for the desk to show and hand back: compressed, about a quarter of its size.
    const std::string text = Render(loaded.Model);
    if (!Compress(text)) {
        Message = "out of memory";
        return false;
    }
    TRow texts(Prepared[TextRow]);
    texts.Number(id).Number(static_cast<long long>(text.size())).Blob(Packed);
    done(texts);
    // Counted from the rows just stored, by the statement that counts an older reader's rows.
    TRow survey(Prepared[SurveyRow]);
    survey.Number(id).Number(id);
    done(survey);
    return ok;
}

// What compress2 at level 6 makes, by a stream kept from one report to the next.
bool TDatabase::Compress(const std::string& text)
{
    if (Deflater == nullptr) {
        Deflater = new z_stream{};
        if (deflateInit(Deflater, 6) != Z_OK) {
            delete Deflater;
            Deflater = nullptr;
            return false;
        }
    } else if (deflateReset(Deflater) != Z_OK)
        return false;
    Packed.resize(deflateBound(Deflater, text.size()));
    Deflater->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    Deflater->avail_in = static_cast<uInt>(text.size());
    Deflater->next_out = reinterpret_cast<Bytef*>(&Packed[0]);
    Deflater->avail_out = static_cast<uInt>(Packed.size());
    if (deflate(Deflater, Z_FINISH) != Z_STREAM_END) return false;
    Packed.resize(Deflater->total_out);
    return true;
}

long long TDatabase::IdOf(const std::string& sha256)
{
    TRow known(Prepared[Known]);
    return known.Text(sha256).Step() == SQLITE_ROW ? sqlite3_column_int64(Prepared[Known], 0) : -1;
}

long long TDatabase::Delete(long long reportId)
{
    return Remove("id = ?1", [&](sqlite3_stmt* statement) { sqlite3_bind_int64(statement, 1, reportId); });
}

long long TDatabase::DeleteMachine(const std::string& computer, const std::string& user)
{
    // The reports table stores an empty name as NULL.
    return Remove("computer IS ?1 AND user IS ?2", [&](sqlite3_stmt* statement) {
        BindText(statement, 1, computer);
        BindText(statement, 2, user);
    });
}

long long TDatabase::Expire(int days)
{
    Message.clear();
    if (days < 0) {
        Message = "a negative number of days";
        return -1;
    }
    // The moment is taken once: each table's statement deletes the same reports.
    const std::string before = Text(("SELECT datetime('now', '-" + std::to_string(days) + " days')").c_str());
    if (before.empty()) {
        Fail();
        return -1;
    }
    return Remove("added < ?1", [&](sqlite3_stmt* statement) { BindText(statement, 1, before); });
}

long long TDatabase::Remove(const std::string& which, const std::function<void(sqlite3_stmt*)>& bind)
{
    Message.clear();
    // In a transaction of its own, or as a step of the caller's (Begin): whole or not at all.
    const bool own = sqlite3_get_autocommit(Handle) != 0;
    if (!Exec(own ? "BEGIN IMMEDIATE" : "SAVEPOINT remove")) return -1;
    long long rows = 0;
    bool ok = true;
    // The rows a report owns first: the foreign keys refuse a report that still has some.
    std::vector<std::string> statements;
    for (const std::string& table : Owned)
        statements.push_back("DELETE FROM " + table + " WHERE report_id IN (SELECT id FROM reports WHERE " + which + ")");
    statements.push_back("DELETE FROM reports WHERE " + which);
    for (const std::string& sql : statements) {
        sqlite3_stmt* statement = nullptr;
        ok = ok && (sqlite3_prepare_v2(Handle, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK || Fail());
        if (ok) bind(statement);
        ok = ok && (sqlite3_step(statement) == SQLITE_DONE || Fail());
        if (ok) rows += sqlite3_changes(Handle);
        sqlite3_finalize(statement);
    }
    if (ok && Exec(own ? "COMMIT" : "RELEASE remove")) {
        // Erased means gone from the files too: freed pages are zeroed (secure_delete), and
        // the log's older copies of them are written back and cut off.
        if (own && rows > 0) sqlite3_exec(Handle, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        return rows;
    }
    const std::string error = Message;
    if (own)
        Rollback();
    else {
        Exec("ROLLBACK TO remove");
        Exec("RELEASE remove");
    }
    Message = error;
    return -1;
}

void BindText(sqlite3_stmt* statement, int at, const std::string& text)
{
    if (text.empty())
        sqlite3_bind_null(statement, at);
    else
        sqlite3_bind_text(statement, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

bool ReportText(sqlite3* db, long long id, std::string& cp932)
{
    cp932.clear();
    sqlite3_stmt* statement = nullptr;
    bool read = false;
    if (sqlite3_prepare_v2(db, "SELECT size, zlib FROM report_texts WHERE report_id = ?", -1, &statement, nullptr) ==
        SQLITE_OK) {
        sqlite3_bind_int64(statement, 1, id);
        if (sqlite3_step(statement) == SQLITE_ROW) {
            const long long size = sqlite3_column_int64(statement, 0);
            const void* zlib = sqlite3_column_blob(statement, 1);
            uLong packed = static_cast<uLong>(sqlite3_column_bytes(statement, 1));
            // The size is believed only as far as a report can be large; the blob must fill it exactly.
            if (size >= 0 && static_cast<unsigned long long>(size) <= MaxReportBytes && zlib != nullptr) {
                cp932.resize(static_cast<size_t>(size));
                uLongf unpacked = cp932.size();
                read = uncompress2(reinterpret_cast<Bytef*>(&cp932[0]), &unpacked, static_cast<const Bytef*>(zlib), &packed) ==
                           Z_OK &&
                       unpacked == cp932.size() && packed == static_cast<uLong>(sqlite3_column_bytes(statement, 1));
            }
        }
    }
    sqlite3_finalize(statement);
    if (!read) cp932.clear();
    return read;
}

}  // namespace reader
