// What a row stores, on every engine, whichever way it travels: a file's
// rows go in batches inside a transaction (on PostgreSQL by the server's
// bulk copy, whose text format escapes what INSERT parameters do not),
// a single row on its own, a view's rows one by one. Each column type of a
// table that a database administrator made, texts holding what the bulk
// format must escape, and a text holding a NUL.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "database/Database.h"
#include "database/RowSource.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawConnection.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::RawDatabase;
using testing::StoredValue;

// The columns of table Valori after its key `n` and the way `via` a row
// went, in order; a server's table has a domain's column too.
constexpr char kColumns[] = "si, i, bi, nu, re, dp, da, ts, ch, vc, tx";
constexpr char kServerColumns[] = "si, i, bi, nu, re, dp, da, ts, ch, vc, tx, dm";

class DatabaseStoredValues : public testing::EngineTest {
 protected:
  void SetUp() override {
    server_ = testing::IsServerDatabase(testing::NativeDatabase(path_));
    RawDatabase raw(path_);
    if (server_) {
      raw.Exec(
          "CREATE DOMAIN codice AS varchar(6) CHECK (VALUE <> ''); "
          "CREATE TABLE Valori (n integer, via text, si smallint, i integer, bi bigint, "
          "nu numeric(12,3), re real, dp double precision, da date, ts timestamp, ch char(8), "
          "vc varchar(20), tx text, dm codice); "
          "CREATE VIEW Vista AS SELECT * FROM Valori");
    } else {
      raw.Exec(
          "CREATE TABLE Valori (n integer, via text, si smallint, i integer, bi bigint, "
          "nu numeric(12,3), re real, dp double precision, da date, ts timestamp, ch char(8), "
          "vc varchar(20), tx text)");
    }
    database_ = DBEngine::Instance().OpenDatabase(path_);
  }

  // The rows that went `via` one way, in their order.
  std::vector<std::vector<StoredValue>> Stored(const std::string& via) {
    return RawDatabase(path_).Cells(std::string("SELECT ") + (server_ ? kServerColumns : kColumns) +
                                    " FROM Valori WHERE via = '" + via + "' ORDER BY n");
  }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  bool server_ = false;
  std::unique_ptr<Database> database_;
};
INSTANTIATE_FOR_EVERY_ENGINE(DatabaseStoredValues);

// Rows of `table` numbered from 1, each marked with the way it goes.
std::vector<Row> SampleRows(const std::string& table, const std::string& via, bool server) {
  using V = RowValue;
  const std::vector<std::vector<RowValue>> values{
      {V::Integer(-32768), V::Integer(2147483647), V::Integer(9007199254740993), V::Number(1234.5),
       V::Number(1.0 / 3), V::Number(0.1 + 0.2), V::Date({2026, 12, 6}), V::Date({2024, 2, 29}),
       V::Text("AB"), V::Text("àèé ß €"), V::Text("tab\there"), V::Text("X1")},
      {V::Integer(32767), V::Integer(-7), V::Integer(-9223372036854775807), V::Integer(7),
       V::Number(-2.5e-3), V::Number(1e300), V::Date({1900, 1, 1}), V::Date({9999, 12, 31}),
       V::Text(""), V::Text("back\\slash \\N"), V::Text("line\nnext\r\nend"), V::Text("Ü€\\")},
      {V::Null(), V::Null(), V::Null(), V::Null(), V::Null(), V::Null(), V::Null(), V::Null(),
       V::Null(), V::Null(), V::Null(), V::Null()},
      {V::Integer(0), V::Integer(0), V::Integer(0), V::Number(2.0005), V::Number(3.25),
       V::Number(-0.0), V::Date({2000, 2, 29}), V::Date({1970, 1, 1}), V::Text("\\."),
       V::Text("\\N"), V::Integer(12), V::Text("a\tb")},
  };
  const std::vector<std::string> names{"si", "i",  "bi", "nu", "re", "dp",
                                       "da", "ts", "ch", "vc", "tx", "dm"};
  std::vector<Row> rows;
  for (size_t n = 0; n < values.size(); ++n) {
    Row row{table, {{"n", V::Integer(static_cast<int64_t>(n + 1))}, {"via", V::Text(via)}}};
    for (size_t i = 0; i < names.size() - (server ? 0 : 1); ++i) {
      row.columns.push_back({names[i], values[n][i]});
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST_P(DatabaseStoredValues, ABatchOfATransactionStoresWhatSingleRowsStore) {
  for (const Row& row : SampleRows("Valori", "row", server_)) database_->InsertRow(row);
  const std::vector<Row> batch = SampleRows("Valori", "batch", server_);
  RowsInMemory source(batch);
  {
    Transaction transaction(*database_);
    database_->InsertRows(source);
    transaction.Commit();
  }
  const std::vector<std::vector<StoredValue>> single = Stored("row");
  ASSERT_EQ(single.size(), 4u);
  EXPECT_EQ(Stored("batch"), single);
  // The texts come back as they went, escapes and all.
  EXPECT_EQ(single[0][9], StoredValue(std::string("àèé ß €")));
  EXPECT_EQ(single[0][10], StoredValue(std::string("tab\there")));
  EXPECT_EQ(single[1][8], StoredValue(std::string(server_ ? "        " : "")));
  EXPECT_EQ(single[1][9], StoredValue(std::string("back\\slash \\N")));
  EXPECT_EQ(single[1][10], StoredValue(std::string("line\nnext\r\nend")));
  EXPECT_EQ(single[2][9], StoredValue());
  EXPECT_EQ(single[3][9], StoredValue(std::string("\\N")));
  EXPECT_EQ(single[3][10], StoredValue(std::string("12")));

  if (!server_) return;
  // A view takes a transaction's batch as well, row by row.
  const std::vector<Row> viewRows = SampleRows("Vista", "view", true);
  RowsInMemory intoView(viewRows);
  {
    Transaction transaction(*database_);
    database_->InsertRows(intoView);
    transaction.Commit();
  }
  EXPECT_EQ(Stored("view"), single);
}

// A NUL ends a server's text, and an ODBC driver's: rather than a text cut
// short one way and refused the other, both ways refuse it as a value of
// the wrong type, naming its column, and store nothing. SQLite's own client
// stores the whole text.
TEST_P(DatabaseStoredValues, ATextHoldingANulIsRefusedWhereTheDatabaseCannotStoreIt) {
  const std::string text("a\0b", 3);
  std::vector<Row> rows = SampleRows("Valori", "batch", server_);
  rows[1].columns[12].value = RowValue::Text(text);
  auto Attempt = [&](const std::function<void()>& action) {
    try {
      action();
    } catch (const AutomationError& error) {
      return std::to_string(error.number) + " " + error.what();
    }
    return std::string();
  };
  const std::string single = Attempt([&] { database_->InsertRow(rows[1]); });
  RowsInMemory source(rows);
  const std::string batch = Attempt([&] {
    Transaction transaction(*database_);
    database_->InsertRows(source);
    transaction.Commit();
  });
  if (GetParam() != &testing::kSqliteEngine) {
    for (const std::string& message : {single, batch}) {
      EXPECT_EQ(message.substr(0, 5), "3464 ") << message;
      EXPECT_NE(message.find("tx"), std::string::npos) << message;
    }
    EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Valori"), "0");
  } else {
    EXPECT_EQ(single, "");
    EXPECT_EQ(batch, "");
    EXPECT_EQ(RawDatabase(path_).Cells("SELECT tx FROM Valori WHERE n = 2"),
              (std::vector<std::vector<StoredValue>>(2, {StoredValue(text)})));
  }
}

}  // namespace
}  // namespace viruzedi
