#include <gtest/gtest.h>

#include <sqlite3.h>

#include <array>
#include <functional>
#include <set>

#include "Database.h"
#include "Files.h"
#include "Load.h"
#include "Survey.h"

using namespace reader;

namespace {

std::string Edited(std::string report, const std::string& from, const std::string& to)
{
    const size_t at = report.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? report : report.replace(at, from.size(), to);
}

// A database of a test's own, and a second connection that looks into it as the desk does.
struct TStore {
    explicit TStore(const std::string& name) : Folder(FreshFolder(name)), Db((Folder / "r.sqlite").string())
    {
        EXPECT_TRUE(Db.IsOpen()) << Db.Error();
        sqlite3_open((Folder / "r.sqlite").c_str(), &Look);
    }
    ~TStore()
    {
        sqlite3_close(Look);
        std::filesystem::remove_all(Folder);
    }
    long long Add(const std::string& bytes)
    {
        EXPECT_TRUE(Db.Begin() && Db.Add(LoadBytes("report.txt", bytes)) && Db.Commit()) << Db.Error();
        return Db.LastAdded();
    }
    // Each row's columns joined by '|'.
    std::set<std::string> Rows(const std::string& sql)
    {
        std::set<std::string> rows;
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(Look, sql.c_str(), -1, &statement, nullptr)) << sql;
        for (std::string row; sqlite3_step(statement) == SQLITE_ROW; rows.insert(row), row.clear())
            for (int n = 0; n < sqlite3_column_count(statement); ++n) {
                const unsigned char* text = sqlite3_column_text(statement, n);
                row += (n ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
        sqlite3_finalize(statement);
        return rows;
    }
    long long Count(const std::string& sql) { return std::stoll(*Rows(sql).begin()); }
    // Every table with a column report_id.
    std::set<std::string> Owning()
    {
        return Rows("SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND"
                    " EXISTS (SELECT 1 FROM pragma_table_info(m.name) c WHERE c.name = 'report_id')");
    }
    std::filesystem::path Folder;
    TDatabase Db;
    sqlite3* Look = nullptr;
};

}  // namespace

// What the survey counts of a report, dimension by dimension; its findings as it has them.
TEST(DatabaseTest, SurveyCountsEachDimensionOfAReport)
{
    const std::set<std::string> each = {"reports|", "cpu_vendor|Intel", "cores|2", "memory|24 GiB"};
    const std::set<std::string> gaming = {"windows|Windows 11", "gpu_vendor|NVIDIA", "gpu|NVIDIA GeForce RTX 4070",
                                          "video_memory|12 GiB", "resolution|2560x1440", "scaling|100%"};
    const struct {
        const char* Sample;
        std::vector<std::pair<std::string, std::string>> Edits;
        const char* Month;
        std::set<std::string> Values;
    } rows[] = {
        {"gaming-pc-win11", {}, "2026-12", {"architecture|64-bit"}},
        {"matrix-winxp", {}, "2026-12", {"windows|Windows XP", "architecture|32-bit", "gpu_vendor|NVIDIA",
            "gpu|NVIDIA GeForce GTX 470", "video_memory|2 GiB", "resolution|1280x1024", "scaling|100%"}},
        {"hybrid-laptop", {}, "2026-12", {"windows|Windows 10", "architecture|64-bit", "gpu_vendor|Intel",
            "gpu|Intel(R) UHD Graphics 620", "video_memory|<1 GiB", "resolution|1920x1080", "scaling|125%"}},
        // No date and no architecture: counted all the same.
        {"gaming-pc-win11", {{" szTimeEnglish: 12/9/2026, 15:15:20\n", ""}, {"architecture: x64", "architecture: unknown"}},
         "unknown", {"architecture|unknown"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Sample + std::string(" ") + row.Month);
        TStore store("survey");
        std::string report = Named(row.Sample);
        for (const auto& [from, to] : row.Edits) report = Edited(report, from, to);
        std::set<std::string> expected = each;
        expected.insert(row.Values.begin(), row.Values.end());
        if (row.Sample == std::string("gaming-pc-win11")) expected.insert(gaming.begin(), gaming.end());
        for (const Finding& finding : LoadBytes("report.txt", report).Findings) expected.insert("finding|" + finding.Id);
        store.Add(report);
        EXPECT_EQ(expected, store.Rows("SELECT dimension, value FROM survey WHERE month = '" + std::string(row.Month) + "' AND reports = 1"));
        EXPECT_EQ(static_cast<long long>(expected.size()), store.Count("SELECT COUNT(*) FROM survey"));
    }
    // The release of lines no sample has: the closing section's, else the OS row's product.
    TStore store("release");
    for (const auto& [windows, product, release] : std::vector<std::array<std::string, 3>>{
             {"'Windows 10 Core (envcheck runs in compatibility mode for Windows XP)'", "NULL", "Windows 10"},
             {"'Windows Server (build 25398) ServerStandard'", "NULL", "Windows Server (build 25398)"},
             {"NULL", "'Microsoft Windows Millennium Edition'", "Windows Me"}})
        EXPECT_EQ(std::set<std::string>{release},
                  store.Rows("SELECT " + WindowsRelease("r") + " FROM (SELECT " + windows + " AS windows, " + product + " AS os_product) r"));
}

// The GPU chosen from the facts as a report is stored is the one its rows give an older reader's reports.
TEST(DatabaseTest, GameGpuOfTheFactsIsThatOfTheRows)
{
    TStore store("gpu");
    for (const auto& entry : std::filesystem::directory_iterator(ENVCHECK_READER_SAMPLES)) store.Add(ReadAll(entry.path()));
    // Direct3D 9's adapter where the closing section's is software; the first display's where Direct3D 9 failed too.
    const std::string software = Edited(Sample("win10"), "Graphics adapter 0: NVIDIA GeForce GTX 470\n",
                                        "Graphics adapter 0: Microsoft Basic Render Driver (software)\n");
    store.Add(Edited(software, " Description : NVIDIA GeForce GTX 470", " Description : NVIDIA GeForce GTX 470 (Direct3D 9)"));
    store.Add(Edited(software, "Graphic Adapter information:\n", "DirectXの初期化に失敗しました\n"));
    const auto stored = store.Rows("SELECT id, gpu, gpu_vendor FROM reports");
    EXPECT_EQ(1, store.Count("SELECT COUNT(*) FROM reports WHERE gpu = 'NVIDIA GeForce GTX 470 (Direct3D 9)' AND gpu_vendor = 'NVIDIA'"));
    EXPECT_EQ(1, store.Count("SELECT COUNT(*) FROM reports WHERE d3d9_adapter IS NULL AND gpu = 'NVIDIA GeForce GTX 470'"));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(store.Look, ("UPDATE reports SET gpu = NULL, gpu_vendor = NULL; " + GameGpuUpdate()).c_str(),
                                      nullptr, nullptr, nullptr));
    EXPECT_EQ(stored, store.Rows("SELECT id, gpu, gpu_vendor FROM reports"));
}

// Deleting a report, the old ones or a machine's empties every table of their rows and keeps the survey.
TEST(DatabaseTest, DeletesLeaveNoRowOfTheReportAndKeepTheSurvey)
{
    TStore store("delete");
    const long long gaming = store.Add(Named("gaming-pc-win11"));
    store.Add(Named("hybrid-laptop"));
    const long long other = store.Add(Edited(Sample("winxp"), "Computer name:  VM", "Computer name:  OTHER"));
    const long long nameless = store.Add(Edited(Sample("win98"), "Computer name:  VM", "Computer name:  "));
    EXPECT_FALSE(store.Db.Add(LoadBytes("again.txt", Named("gaming-pc-win11"))));
    EXPECT_EQ(nameless, store.Db.LastAdded()) << "the last stored, not the one already there";
    EXPECT_EQ(gaming, store.Db.IdOf(LoadBytes("again.txt", Named("gaming-pc-win11")).Sha256));
    EXPECT_EQ(-1, store.Db.IdOf(std::string(64, '0')));
    sqlite3_exec(store.Look, ("UPDATE reports SET added = datetime('now', '-10 days') WHERE id = " + std::to_string(other)).c_str(),
                 nullptr, nullptr, nullptr);
    const auto survey = store.Rows("SELECT * FROM survey");
    EXPECT_TRUE(store.Db.Begin() && store.Db.Add(LoadBytes("win7.txt", Sample("win7"))));
    store.Db.Rollback();
    EXPECT_EQ(survey, store.Rows("SELECT * FROM survey")) << "a report rolled back is not counted";
    auto rows = [&] {
        long long all = store.Count("SELECT COUNT(*) FROM reports");
        for (const std::string& table : store.Owning()) all += store.Count("SELECT COUNT(*) FROM " + table);
        return all;
    };
    // How many reports each deletes: none of an unknown id, the one stored 10 days ago only at 9 days.
    const std::vector<std::pair<long long, std::function<long long()>>> deletes = {
        {0, [&] { return store.Db.Delete(12345); }}, {1, [&] { return store.Db.Delete(gaming); }},
        {0, [&] { return store.Db.Expire(11); }},    {1, [&] { return store.Db.Expire(9); }},
        {1, [&] { return store.Db.DeleteMachine("", "root"); }}, {1, [&] { return store.Db.DeleteMachine("VM", "root"); }}};
    for (const auto& [reports, remove] : deletes) {
        const long long before = rows(), left = store.Count("SELECT COUNT(*) FROM reports") - reports;
        const long long deleted = remove();
        EXPECT_EQ(before, deleted + rows()) << store.Db.Error();
        EXPECT_EQ(left, store.Count("SELECT COUNT(*) FROM reports"));
        for (const std::string& table : store.Owning())
            EXPECT_EQ(0, store.Count("SELECT COUNT(*) FROM " + table + " WHERE report_id NOT IN (SELECT id FROM reports)")) << table;
        EXPECT_EQ(survey, store.Rows("SELECT * FROM survey"));
    }
}

// A report's text comes back byte for byte; a damaged one is refused, not half given.
TEST(DatabaseTest, ReportTextComesBackAndDamageIsRefused)
{
    TStore store("text");
    const std::string bytes = Named("hybrid-laptop");
    const long long id = store.Add(bytes);
    std::string text;
    EXPECT_TRUE(ReportText(store.Look, id, text));
    EXPECT_EQ(bytes, text);
    EXPECT_FALSE(ReportText(store.Look, id + 1, text));
    for (const char* damage : {"size = size + 1", "size = size - 1", "size = 16777217", "size = -1", "zlib = x''",
                               "zlib = substr(zlib, 1, length(zlib) - 1)", "zlib = zlib || x'00'",
                               "zlib = substr(zlib, 1, 100) || x'ff' || substr(zlib, 102)"}) {
        SCOPED_TRACE(damage);
        sqlite3_exec(store.Look, (std::string("SAVEPOINT damage; UPDATE report_texts SET ") + damage).c_str(), nullptr, nullptr, nullptr);
        EXPECT_FALSE(ReportText(store.Look, id, text));
        EXPECT_TRUE(text.empty());
        sqlite3_exec(store.Look, "ROLLBACK TO damage; RELEASE damage", nullptr, nullptr, nullptr);
    }
    EXPECT_TRUE(ReportText(store.Look, id, text));
}
