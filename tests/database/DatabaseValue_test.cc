// What a database value names, from its text alone: the engine's choice,
// the blanks a paste leaves around a value, and a value that only looks
// like a server's refused rather than taken for a file.
#include "database/DatabaseValue.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/KeywordString.h"
#include "database/Database.h"
#include "tests/database/support/EngineUnderTest.h"

namespace viruzedi::testing {
namespace {

TEST(DatabaseValue, EachFormNamesItsKindAndLosesTheBlanksAroundIt) {
  using Kind = DatabaseValueKind;
  struct Case {
    const char* given;
    Kind kind;
    const char* text;
  };
  const Case cases[] = {
      {"postgresql://anna@db/magazzino", Kind::kPostgresServer, "postgresql://anna@db/magazzino"},
      {" postgres:///m?host=/run/pg\n", Kind::kPostgresServer, "postgres:///m?host=/run/pg"},
      {"host=db dbname=magazzino user=anna password='a b'", Kind::kPostgresServer,
       "host=db dbname=magazzino user=anna password='a b'"},
      {"\tdbname=magazzino ", Kind::kPostgresServer, "dbname=magazzino"},
      {" DSN=Magazzino;PWD=x ", Kind::kOdbcConnectionString, "DSN=Magazzino;PWD=x"},
      {"driver={SQLite3};Database=/a.db", Kind::kOdbcConnectionString,
       "driver={SQLite3};Database=/a.db"},
      // Plain paths stay files, whatever they hold.
      {"magazzino.db", Kind::kFile, "magazzino.db"},
      {" /srv/dati/magazzino città.db ", Kind::kFile, "/srv/dati/magazzino città.db"},
      {"file:x", Kind::kFile, "file:x"},
      {"C:\\Dati\\magazzino.mdb", Kind::kFile, "C:\\Dati\\magazzino.mdb"},
      {"C:/Dati/magazzino.mdb", Kind::kFile, "C:/Dati/magazzino.mdb"},
      {"a=b.db", Kind::kFile, "a=b.db"},
      {"postgres/magazzino.db", Kind::kFile, "postgres/magazzino.db"},
      {"Server=db;PWD=x", Kind::kFile, "Server=db;PWD=x"},
  };
  for (const Case& c : cases) {
    DatabaseValue value = ReadDatabaseValue(c.given);
    EXPECT_EQ(value.kind, c.kind) << c.given;
    EXPECT_EQ(value.text, c.text) << c.given;
  }
}

TEST(DatabaseValue, AValueThatBeginsAsAUriAndIsNoneIs3151SayingWhatIsWrong) {
  struct Case {
    const char* given;
    const char* fault;
  };
  const Case cases[] = {
      {"postgresql:/anna:s3cr3t@db/magazzino", "dopo 'postgresql:' vanno due barre"},
      {"postgres:anna:s3cr3t@db/magazzino", "dopo 'postgres:' vanno due barre"},
      {" PostgreSQL://anna:s3cr3t@db/magazzino", "lettere minuscole: 'postgresql://'"},
      {"mysql://anna:s3cr3t@db/magazzino", "'mysql://' non raggiunge un server PostgreSQL"},
  };
  for (const Case& c : cases) {
    try {
      ReadDatabaseValue(c.given);
      ADD_FAILURE() << "taken: " << c.given;
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, kDbCannotConnect) << c.given;
      EXPECT_NE(error.description.find(c.fault), std::string::npos) << error.description;
      EXPECT_EQ(error.description.find("s3cr3t"), std::string::npos) << error.description;
      EXPECT_NE(error.description.find("anna:***@db"), std::string::npos) << error.description;
    }
  }
}

// The keywords are written down, since Windows has no PostgreSQL client to
// ask: every one the installed client knows must be among them, or a string
// that begins with it would be taken for a file.
TEST(DatabaseValue, EveryKeywordOfTheInstalledClientBeginsAKeywordString) {
  const std::vector<std::string> keywords = PostgresClientKeywords();
  ASSERT_GT(keywords.size(), 10u);
  for (const std::string& keyword : keywords) {
    EXPECT_TRUE(IsPostgresKeyword(keyword)) << keyword;
    EXPECT_EQ(ReadDatabaseValue(keyword + "=x").kind, DatabaseValueKind::kPostgresServer)
        << keyword;
  }
}

}  // namespace
}  // namespace viruzedi::testing
