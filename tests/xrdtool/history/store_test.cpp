// The store's edges: names that SQL or JSON could mistake, the time rules,
// and files that are not our store.

#include "xrdtool/commands.h"
#include "xrdtool/history/queries.h"
#include "xrdtool/history/run_time.h"
#include "xrdtool/history/run_writer.h"
#include "xrdtool/history/schema.h"
#include "xrdtool/history/store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace xrdtool::history {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string tempPath(const char* stem)
{
    return std::string("/tmp/") + stem + "-" + std::to_string(getpid());
}

const std::vector<std::string> HostileNames = {"it's \"quoted\"",
                                               "back\\slash\\",
                                               "100% _done_",
                                               "'; DROP TABLE runs; --",
                                               "SELECT * FROM spans",
                                               "Grüße, 温度",
                                               "bad \xEF\xBF\xBD byte",
                                               "tab\there",
                                               "[\"not\",\"a path\"]",
                                               "",
                                               "\x01\x1f"};

TEST(HistoryNames, StoredAndListedAsGiven)
{
    const std::string db = tempPath("history-names");
    std::remove(db.c_str());
    Result<Store> opened = openStore(db, OpenMode::Write);
    ASSERT_TRUE(opened.ok());
    Store& store = *opened;
    std::int64_t series = 0;
    // Each name is a result that fails in one run and passes in the next two:
    // two flips each, so that all are listed.
    for (int t = 0; t < 3; ++t) {
        Transaction transaction(*store.connection);
        ASSERT_TRUE(beginWrite(store, transaction).ok());
        const Result<std::int64_t> found = seriesFor(*store.statements, "série 'x' %_");
        ASSERT_TRUE(found.ok());
        series = *found;
        RunWriter writer(*store.statements, series);
        ASSERT_TRUE(writer.place(1000 + t).ok());
        for (const std::string& name : HostileNames) {
            Observation observation;
            const std::uint32_t node = writer.paths().child(
                writer.paths().child(0, writer.names().intern("driver")), writer.names().intern(name));
            observation.identity = ResultIdentity{ResultKey{node, writer.names().intern(name)}, 1};
            observation.status = t == 1 ? StoredStatus::Failed : StoredStatus::Passed;
            observation.message = name;
            observation.hasLocation = true;
            observation.file = name;
            observation.line = 7;
            writer.observe(observation);
        }
        StoredRun facts;
        facts.run = "run " + std::to_string(t);
        facts.hash = std::to_string(t);
        ASSERT_TRUE(writer.finish(facts, false).ok());
        ASSERT_TRUE(transaction.commit().ok());
    }
    const Result<FlakyList> found = flaky(*store.statements, series, 30, 2);
    ASSERT_TRUE(found.ok());
    const FlakyList& list = *found;
    ASSERT_EQ(list.results.size(), HostileNames.size());
    for (const FlakyResult& result : list.results) {
        ASSERT_EQ(result.name.path.size(), 2u);
        EXPECT_EQ(result.name.type, result.name.path[1]);
        EXPECT_EQ(result.file.value_or("?"), result.name.path[1]);
        EXPECT_EQ(result.flips, 2);
    }
    // Sorted by path as bytes: "" first, then the control characters, ...
    for (std::size_t i = 1; i < list.results.size(); ++i)
        EXPECT_LT(list.results[i - 1].name.path[1], list.results[i].name.path[1]);
    std::remove(db.c_str());
}

TEST(HistoryTime, RunTimesInEveryForm)
{
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    struct Case {
        const char* text;
        std::int64_t seconds; // -1: refused
    };
    const Case cases[] = {{"2025-03-19T14:22:05Z", 1742394125},
                          {"2025-03-19T14:22:05+01:30", 1742394125 - 5400},
                          {"2025-03-19T14:22:05-00:45", 1742394125 + 2700},
                          {"2025-03-19T14:22:05", 1742394125 - 3600},
                          {"2025-07-01T12:00:00", 1751364000},
                          {"1970-01-01T00:00:00Z", 0},
                          {"2024-02-29T00:00:00Z", 1709164800},
                          {"2025-02-29T00:00:00Z", -1},
                          {"1969-12-31T23:59:59Z", -1},
                          {"2025-03-19 14:22:05Z", -1},
                          {"2025-03-19T14:22:05+0100", -1},
                          {"2025-3-19T14:22:05Z", -1},
                          {"2025-03-19T24:00:00Z", -1},
                          {"2025-03-19T14:22:05Zjunk", -1}};
    for (const Case& c : cases) {
        const std::optional<std::int64_t> parsed = parseRunTime(c.text);
        EXPECT_EQ(parsed.value_or(-1), c.seconds) << c.text;
    }
    EXPECT_EQ(parseReportTime("Wed Mar 19 14:22:05 2025").value_or(-1), 1742390525);
    EXPECT_EQ(parseReportTime("Wed Mar  9 14:22:05 2025").value_or(-1), 1741526525);
    EXPECT_FALSE(parseReportTime("Mi Mär 19 14:22:05 2025"));
    EXPECT_EQ(formatUtc(1742394125), "2025-03-19T14:22:05Z");
    unsetenv("TZ");
    tzset();
}

TEST(HistoryTime, GenerationLabelInEveryCatalogue)
{
    // The translations of the label, read from the catalogues' sources.
    const std::string ts = readFile(std::string(HISTORY_SOURCE_DIR) + "/i18n/quorvanel_de.ts");
    const std::string source = "<source>Report Generation Time</source>";
    const std::size_t at = ts.find(source);
    ASSERT_NE(at, std::string::npos);
    const std::size_t open = ts.find("<translation>", at) + 13;
    const std::string translated = ts.substr(open, ts.find("</translation>", open) - open);
    EXPECT_TRUE(isGenerationTimeLabel(translated)) << translated;
    EXPECT_TRUE(isGenerationTimeLabel("Report Generation Time"));
    EXPECT_FALSE(isGenerationTimeLabel("Test compilation time"));
}

/// Runs xrdtool with `args`: its exit status.
int xrdtool(const std::vector<std::string>& args)
{
    return runCommandLine(xrdtoolCommands(), args);
}

const std::string Example = std::string(HISTORY_SOURCE_DIR) + "/tests/xrdtool/example/";

/// Makes a store with one run from the example report; returns its bytes.
std::string exampleStore(const std::string& db)
{
    std::remove(db.c_str());
    EXPECT_EQ(
        xrdtool({"history", "add", Example + "campaign.xrd", "--db", db, "--at", "2025-03-19T14:22:05Z"}), 0);
    return readFile(db);
}

TEST(HistoryStoreFiles, OtherFilesAreRefusedAndLeftAsTheyWere)
{
    const std::string db = tempPath("history-damaged");
    const std::string good = exampleStore(db);
    ASSERT_GT(good.size(), 8192u);
    const std::size_t page = std::size_t(std::uint8_t(good[16])) << 8 | std::uint8_t(good[17]);
    std::string newer;
    {
        Result<Store> store = openStore(db, OpenMode::Write);
        ASSERT_TRUE(store.ok());
        ASSERT_TRUE(
            store->connection->execute("UPDATE meta SET value = '99' WHERE key = 'schema_version'").ok());
        newer = readFile(db);
    }
    std::string foreign;
    {
        const std::string other = tempPath("history-foreign");
        std::remove(other.c_str());
        Result<Store> store = openStore(other, OpenMode::Write);
        ASSERT_TRUE(store.ok());
        ASSERT_TRUE(store->connection->execute("CREATE TABLE customers (id INTEGER, name TEXT)").ok());
        foreign = readFile(other);
        std::remove(other.c_str());
    }
    std::string flipped = good;
    for (std::size_t at = page; at < flipped.size(); at += page)
        flipped[at] = char(flipped[at] ^ 0x5A); // each page's type byte
    const std::pair<const char*, std::string> files[] = {
        {"truncated", good.substr(0, good.size() / 2 + 100)},
        {"flipped page types", flipped},
        {"damaged header", "SQLite format 4" + good.substr(15)},
        {"text", "not a database at all\n"},
        {"another program's tables", foreign},
        {"newer version", newer},
    };
    for (const auto& [what, bytes] : files) {
        writeFile(db, bytes);
        EXPECT_EQ(xrdtool({"history", "add", Example + "changed.xrd", "--db", db}), 255) << what;
        EXPECT_EQ(readFile(db), bytes) << what;
        EXPECT_EQ(xrdtool({"history", "prune", "--db", db, "--keep", "1"}), 255) << what;
        EXPECT_EQ(readFile(db), bytes) << what;
        // Reading commands do not check every page: a damaged page may go unseen.
        if (std::string(what) != "truncated" && std::string(what) != "flipped page types") {
            EXPECT_EQ(xrdtool({"history", "runs", "--db", db}), 255) << what;
        }
        EXPECT_EQ(readFile(db), bytes) << what;
    }
    std::remove(db.c_str());
    for (const char* command : {"runs", "flaky"}) {
        EXPECT_EQ(xrdtool({"history", command, "--db", db}), 255) << command;
        EXPECT_NE(access(db.c_str(), F_OK), 0) << command << " created the store";
    }
    EXPECT_EQ(xrdtool({"history", "prune", "--db", db, "--keep", "1"}), 255);
    EXPECT_NE(access(db.c_str(), F_OK), 0) << "prune created the store";
}

TEST(HistoryStoreFiles, OlderStoresAreMigratedInOneTransaction)
{
    // Steps of a synthetic next version on a store of today's: the version
    // rises and the steps' tables appear; a failing step leaves nothing of
    // the steps before it.
    const std::string db = tempPath("history-migrate");
    exampleStore(db);
    Result<Store> store = openStore(db, OpenMode::Write);
    ASSERT_TRUE(store.ok());
    const std::vector<Migration> steps = {
        {SchemaVersion, {"CREATE TABLE notes (run BIGINT NOT NULL, text TEXT NOT NULL)"}},
        {SchemaVersion + 1,
         {"ALTER TABLE notes ADD COLUMN author TEXT", "CREATE INDEX notes_by_run ON notes (run)"}}};
    auto version = [&store]() {
        std::string value;
        store->statements->meta("schema_version", value);
        return value;
    };
    {
        Transaction transaction(*store->connection);
        ASSERT_TRUE(transaction.begin(true).ok());
        const std::vector<Migration> broken = {steps[0],
                                               {SchemaVersion + 1, {"ALTER TABLE nowhere ADD x TEXT"}}};
        EXPECT_FALSE(migrate(*store->connection, SchemaVersion, broken, SchemaVersion + 2).ok());
    }
    EXPECT_EQ(version(), std::to_string(SchemaVersion));
    EXPECT_EQ(*store->connection->tableNames(),
              (std::vector<std::string>{"failures", "meta", "paths", "results", "runs", "series", "spans"}));
    {
        Transaction transaction(*store->connection);
        ASSERT_TRUE(transaction.begin(true).ok());
        EXPECT_FALSE(migrate(*store->connection, SchemaVersion - 1, steps, SchemaVersion + 2).ok())
            << "no step from 0";
        ASSERT_TRUE(migrate(*store->connection, SchemaVersion, steps, SchemaVersion + 2).ok());
        ASSERT_TRUE(transaction.commit().ok());
    }
    EXPECT_EQ(version(), std::to_string(SchemaVersion + 2));
    EXPECT_EQ(store->connection->tableNames()->size(), 8u);
    // Newer than this xrdtool now: refused by every command, the file as it was.
    const std::string bytes = readFile(db);
    EXPECT_EQ(xrdtool({"history", "add", Example + "changed.xrd", "--db", db}), 255);
    EXPECT_EQ(xrdtool({"history", "runs", "--db", db}), 255);
    EXPECT_EQ(readFile(db), bytes);
    std::remove(db.c_str());
}

} // namespace
} // namespace xrdtool::history
