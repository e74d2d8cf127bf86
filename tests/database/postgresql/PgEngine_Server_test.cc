// What the PostgreSQL engine does that a file cannot show: credentials kept
// out of its messages, names as the server folds them, the limits of the
// server's column types, a constraint the server checks at the commit,
// another session's lock, a connection that the server ends, and one server
// session for the per-record opens of a thread. (A refused row inside a
// transaction the server aborts: DatabaseInsertRows, on every engine.)
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "base/Errors.h"
#include "database/Database.h"
#include "database/RowSource.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

// The message of the error an action throws, "" when it throws none.
std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const AutomationError& error) {
    return std::to_string(error.number) + " " + error.what();
  }
  return "";
}

class PgEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uri_ = kPostgresqlEngine.NewDatabase(folder_);
    ASSERT_FALSE(uri_.empty());
    DBEngine::CreateTargetDatabase(uri_);
    raw_ = std::make_unique<RawDatabase>(uri_);
  }

  std::unique_ptr<Database> Open(std::chrono::milliseconds busyTimeout = std::chrono::seconds(5)) {
    settings_.busyTimeout = busyTimeout;
    return DBEngine::Instance().OpenDatabase(uri_, settings_);
  }

  // The server sessions on the test's database other than the raw one.
  std::string EngineSessions() {
    return raw_->Value(
        "SELECT count(*) FROM pg_stat_activity "
        "WHERE datname = current_database() AND pid <> pg_backend_pid()");
  }
  void EndEngineSessions() {
    raw_->Exec(
        "SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
        "WHERE datname = current_database() AND pid <> pg_backend_pid()");
  }

  TemporaryFolder folder_;
  std::string uri_;
  std::unique_ptr<RawDatabase> raw_;
  DatabaseSettings settings_;
};

TEST(PgEngineConnect, EveryRefusalIs3151WithTheReasonAndNoPassword) {
  std::string base = TestServerUri();
  std::string host = base.substr(base.find('?'));
  struct Case {
    std::string uri;
    std::string reason;
  } cases[] = {
      {"postgresql://nobody:s3cr3tpw@/postgres" + host.substr(0, host.find("&user")),
       "nobody"},
      {"postgres:///no_such_database" + host + "&password=s3cr3tpw", "no_such_database"},
      {"postgresql:///postgres?host=/nonexistent/folder&password=s3cr3tpw", "/nonexistent"},
  };
  for (const Case& each : cases) {
    std::string message = MessageOf([&] { DBEngine::Instance().OpenDatabase(each.uri); });
    EXPECT_EQ(message.substr(0, 5), "3151 ") << message;
    EXPECT_NE(message.find(each.reason), std::string::npos) << message;
    EXPECT_EQ(message.find("s3cr3tpw"), std::string::npos) << message;
    EXPECT_NE(message.find("***"), std::string::npos) << message;
    message = MessageOf([&] { DBEngine::CreateTargetDatabase(each.uri); });
    EXPECT_EQ(message.substr(0, 5), "3151 ") << message;
    EXPECT_EQ(message.find("s3cr3tpw"), std::string::npos) << message;
  }
}

TEST_F(PgEngineTest, NamesMatchAsTheServerSpellsThemExactFirstThenTheOnlyOneInAnyCase) {
  ASSERT_TRUE(raw_->Exec("CREATE TABLE \"Letture\" (\"Codice\" text, codice2 text)"));
  ASSERT_TRUE(raw_->Exec("CREATE TABLE pari (n integer); CREATE TABLE \"PARI\" (n integer)"));
  auto db = Open();
  db->Execute("Insert Into letture ([CODICE], Codice2) Select 'a', 'b'");
  db->Execute("Insert Into Letture (Codice) Select 'c'");
  EXPECT_EQ(raw_->Rows("SELECT \"Codice\", codice2 FROM \"Letture\" ORDER BY 1"),
            (std::vector<std::string>{"'a', 'b'", "'c', NULL"}));
  // Columns likewise: two that differ only in case, neither named exactly.
  ASSERT_TRUE(raw_->Exec("ALTER TABLE \"Letture\" ADD COLUMN \"CODICE2\" text"));
  db.reset();
  db = Open();
  db->Execute("Insert Into letture (codice2, CODICE2) Select 'd', 'e'");
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into letture (Codice2) Select 'f'"); }),
            kDbUnknownColumn);
  db->Execute("Insert Into PARI (n) Select 1");
  db->Execute("Insert Into pari (n) Select 2");
  EXPECT_EQ(raw_->Value("SELECT n FROM \"PARI\""), "1");
  EXPECT_EQ(raw_->Value("SELECT n FROM pari"), "2");
  // Two tables that differ only in case, neither named exactly.
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into Pari (n) Select 3"); }), kDbTableNotFound);

  // The first schema of search_path that has the table decides.
  ASSERT_TRUE(raw_->Exec("CREATE SCHEMA magazzino; CREATE TABLE magazzino.VIRUZEDI (codart text)"));
  ASSERT_TRUE(raw_->Exec(
      "DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET search_path = magazzino, public', "
      "current_database()); END $$"));
  EndEngineSessions();
  db.reset();
  db = Open();
  db->Execute("Insert Into Viruzedi (Codart) Select 'm'");
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM magazzino.viruzedi"), "1");
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM public.viruzedi"), "0");
  EXPECT_EQ(ErrorOf([&] { DBEngine::CreateTargetDatabase(uri_); }), kFileAlreadyExists);
}

TEST_F(PgEngineTest, ValuesAreCheckedAgainstTheServersTypesBeforeTheyAreSent) {
  ASSERT_TRUE(raw_->Exec(
      "CREATE TABLE limiti (v varchar(3), c char(2), s smallint, i integer, b boolean, "
      "n numeric(3,1))"));
  auto db = Open();
  // Characters, not bytes: three accented letters fit in varchar(3).
  db->Execute("Insert Into limiti (v, c) Select 'àèì', 'ò'");
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (v) Select 'àèìò'"); }),
            kDbTextTooLong);
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (c) Select 'abc'"); }), kDbTextTooLong);
  db->Execute("Insert Into limiti (s, i) Select -32768, 2147483647");
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (s) Select 32768"); }),
            kDbNumberOutOfRange);
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (i) Select -2147483649"); }),
            kDbNumberOutOfRange);
  // A type of none of the kinds takes only Null.
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (b) Select 1"); }), kDbTypeMismatch);
  db->Execute("Insert Into limiti (b) Select Null");
  // numeric rounds to its scale, halves away from zero, before it counts
  // the digits before the point.
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into limiti (n) Select 100"); }),
            kDbNumberOutOfRange);
  db->Execute("Insert Into limiti (n) Select 10.25");
  EXPECT_EQ(raw_->Rows("SELECT v, s, i, n FROM limiti ORDER BY s NULLS LAST, n NULLS FIRST"),
            (std::vector<std::string>{"NULL, -32768, 2147483647, NULL", "'àèì', NULL, NULL, NULL",
                                      "NULL, NULL, NULL, NULL", "NULL, NULL, NULL, 10.3"}));
}

// A number its column cannot hold is refused naming the column, as the
// server would refuse it, and so is nothing the server would take.
TEST_F(PgEngineTest, ANumberItsColumnCannotHoldIs3349NamingTheColumn) {
  ASSERT_TRUE(raw_->Exec(
      "CREATE TABLE misure (prezzo numeric(6,2), decine numeric(3,-1), millesimi numeric(2,3), "
      "peso real, libero numeric)"));
  struct Case {
    const char* column;
    const char* value;
    bool fits;
  };
  const Case cases[] = {
      {"prezzo", "9999.99", true},     {"prezzo", "9999.994", true},
      {"prezzo", "9999.995", false},   {"prezzo", "-9999.995", false},
      {"prezzo", "10000", false},      {"prezzo", "0.004", true},
      {"decine", "9994", true},        {"decine", "9995", false},
      {"millesimi", "0.0094", true},   {"millesimi", "0.0995", false},
      {"millesimi", "0.1", false},     {"peso", "3.4E38", true},
      {"peso", "3.5E38", false},       {"peso", "1E-50", false},
      {"peso", "1E-40", true},         {"libero", "1E300", true},
  };
  auto db = Open();
  for (const Case& c : cases) {
    const std::string statement =
        std::string("Insert Into misure (") + c.column + ") Select " + c.value;
    const std::string message = MessageOf([&] { db->Execute(statement); });
    if (c.fits) {
      EXPECT_EQ(message, "") << statement;
    } else {
      EXPECT_EQ(message.substr(0, 5), "3349 ") << statement << ": " << message;
      EXPECT_NE(message.find(std::string("campo '") + c.column + "'"), std::string::npos)
          << message;
    }
  }
  size_t stored = 0;
  for (const Case& c : cases) stored += c.fits;
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM misure"), std::to_string(stored));
}

// A constraint that the server checks only at the commit refuses the whole
// transaction, not one row: that is an error the import hears of, with
// nothing of the transaction stored, never rows dropped without a word.
TEST_F(PgEngineTest, AConstraintCheckedAtTheCommitRefusesTheWholeTransaction) {
  ASSERT_TRUE(raw_->Exec("ALTER TABLE viruzedi ADD CONSTRAINT one_code UNIQUE (codart) "
                         "DEFERRABLE INITIALLY DEFERRED"));
  auto db = Open();
  db->Execute("Insert Into Viruzedi (Codart) Select 'a'");
  EXPECT_EQ(ErrorOf([&] {
              Transaction transaction(*db);
              for (const char* code : {"b", "a"}) {
                db->Execute(std::string("Insert Into Viruzedi (Codart) Select '") + code + "'");
              }
              transaction.Commit();
            }),
            kDbOtherError);
  EXPECT_EQ(raw_->Rows("SELECT codart FROM viruzedi"), (std::vector<std::string>{"'a'"}));
  // A file's rows, sent together, likewise.
  const std::vector<Row> rows{Row{"Viruzedi", {{"Codart", RowValue::Text("b")}}},
                              Row{"Viruzedi", {{"Codart", RowValue::Text("a")}}}};
  RowsInMemory source(rows);
  EXPECT_EQ(ErrorOf([&] {
              Transaction transaction(*db);
              db->InsertRows(source);
              transaction.Commit();
            }),
            kDbOtherError);
  EXPECT_EQ(raw_->Rows("SELECT codart FROM viruzedi"), (std::vector<std::string>{"'a'"}));
  // The session goes on: the next row is stored.
  db->Execute("Insert Into Viruzedi (Codart) Select 'c'");
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM viruzedi"), "2");
}

// A rule that a database administrator put on a table sends a file's rows,
// sent together inside its transaction, where it sends a single row.
TEST_F(PgEngineTest, AFilesRowsGoWhereARuleOnTheTableSendsThem) {
  ASSERT_TRUE(raw_->Exec(
      "CREATE TABLE deviati (codart text); CREATE RULE devia AS ON INSERT TO viruzedi "
      "DO INSTEAD INSERT INTO deviati VALUES (NEW.codart)"));
  auto db = Open();
  db->Execute("Insert Into Viruzedi (Codart) Select 'a'");
  const std::vector<Row> rows{Row{"Viruzedi", {{"Codart", RowValue::Text("b")}}},
                              Row{"Viruzedi", {{"Codart", RowValue::Text("c")}}}};
  RowsInMemory source(rows);
  {
    Transaction transaction(*db);
    db->InsertRows(source);
    transaction.Commit();
  }
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM viruzedi"), "0");
  EXPECT_EQ(raw_->Rows("SELECT codart FROM deviati ORDER BY 1"),
            (std::vector<std::string>{"'a'", "'b'", "'c'"}));
}

// A workstation whose role may read the tables but not write them: 3051,
// and nothing stored.
TEST_F(PgEngineTest, ARoleThatMayNotInsertIs3051) {
  std::string role = raw_->Value("SELECT 'lettore_' || current_database()");
  role = role.substr(1, role.size() - 2);  // the literal's quotes
  ASSERT_TRUE(raw_->Exec("CREATE ROLE " + role + " LOGIN"));
  std::string uri = uri_;
  std::string::size_type user = uri.find("user=postgres");
  ASSERT_NE(user, std::string::npos) << uri;
  uri.replace(user, 13, "user=" + role);
  auto db = DBEngine::Instance().OpenDatabase(uri, settings_);
  // Told before anything is written, naming what is missing.
  std::string checked = MessageOf([&] { db->CheckWritable("Viruzedi", {"Codart", "Rep"}); });
  EXPECT_EQ(checked.substr(0, 5), "3051 ") << checked;
  EXPECT_NE(checked.find("Il ruolo " + role + " non ha il permesso INSERT sulla tabella viruzedi"),
            std::string::npos)
      << checked;
  // And at the row, should the rights change in between.
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into Viruzedi (Codart) Select 'a'"); }),
            kDbCannotOpen);
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM viruzedi"), "0");
}

TEST_F(PgEngineTest, ALockHeldPastTheBusyTimeoutIs3045) {
  auto db = Open(std::chrono::milliseconds(200));
  RawDatabase other(uri_);
  ASSERT_TRUE(other.Exec("BEGIN; LOCK TABLE viruzedi IN EXCLUSIVE MODE"));
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into Viruzedi (Codart) Select 'a'"); }), kDbLocked);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  ASSERT_TRUE(other.Exec("ROLLBACK"));
  db->Execute("Insert Into Viruzedi (Codart) Select 'a'");
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM viruzedi"), "1");
}

TEST_F(PgEngineTest, AConnectionEndedByTheServerIs3146InsideATransactionAndReplacedOutside) {
  auto db = Open();
  db->Execute("Insert Into Viruzedi (Codart) Select 'committed'");
  {
    Transaction transaction(*db);
    db->Execute("Insert Into Viruzedi (Codart) Select 'lost'");
    EndEngineSessions();
    EXPECT_EQ(ErrorOf([&] { db->Execute("Insert Into Viruzedi (Codart) Select 'x'"); }),
              kDbConnectionLost);
    // An open that would share the lost transaction must not write on
    // without it.
    EXPECT_EQ(ErrorOf([&] { Open(); }), kDbConnectionLost);
  }
  db.reset();
  // An idle connection ended meanwhile is replaced by the next open.
  auto again = Open();
  again->Execute("Insert Into Viruzedi (Codart) Select 'after'");
  EndEngineSessions();
  again.reset();
  Open()->Execute("Insert Into Viruzedi (Codart) Select 'idle'");
  EXPECT_EQ(raw_->Rows("SELECT codart FROM viruzedi ORDER BY 1"),
            (std::vector<std::string>{"'after'", "'committed'", "'idle'"}));
}

TEST_F(PgEngineTest, OpensOfOneThreadShareOneServerSession) {
  auto download = Open();
  Transaction transaction(*download);
  for (int record = 0; record < 20; ++record) {
    Open()->Execute("Insert Into Viruzedi (IdLotto) Select " + std::to_string(record));
  }
  EXPECT_EQ(EngineSessions(), "1");
  transaction.Commit();
  EXPECT_EQ(raw_->Value("SELECT count(*) FROM viruzedi"), "20");
}

TEST_F(PgEngineTest, AnOpenOutsideATransactionSeesTablesAsAnotherSessionChangedThem) {
  ASSERT_TRUE(raw_->Exec("CREATE TABLE cambia (a integer, b varchar(5))"));
  auto held = Open();
  Open()->Execute("Insert Into cambia (a, b) Select 1, 'x'");
  ASSERT_TRUE(raw_->Exec("ALTER TABLE cambia DROP COLUMN a"));
  EXPECT_EQ(ErrorOf([&] { Open()->Execute("Insert Into cambia (a) Select 2"); }),
            kDbUnknownColumn);
  ASSERT_TRUE(raw_->Exec("ALTER TABLE cambia ALTER COLUMN b TYPE varchar(1)"));
  EXPECT_EQ(ErrorOf([&] { Open()->Execute("Insert Into cambia (b) Select 'yy'"); }),
            kDbTextTooLong);
  ASSERT_TRUE(raw_->Exec("DROP TABLE cambia; CREATE TABLE cambia (c date)"));
  Open()->Execute("Insert Into cambia (c) Select #01/02/2025#");
  EXPECT_EQ(raw_->Value("SELECT c::text FROM cambia"), "'2025-01-02'");
}

TEST_F(PgEngineTest, TheListingShowsValuesAsForAFile) {
  auto db = Open();
  db->Execute(
      "Insert Into Viruzedi (Codart, Quantità, Data, IdLotto) Select 'A1', 2.50, #12/31/2024#, 7");
  db->Execute("Insert Into Viruzedi (Codart, Quantità) Select 'A2', 0.1");
  std::string listing = DumpTables(uri_);
  EXPECT_NE(listing.find("A1     | 7       |             | 2.5      | 2024-12-31"),
            std::string::npos)
      << listing;
  EXPECT_NE(listing.find("| 0.1 "), std::string::npos) << listing;
  EXPECT_NE(listing.find("viruzedi_rimesseof: 0 rows"), std::string::npos) << listing;
}

}  // namespace
}  // namespace viruzedi::testing
