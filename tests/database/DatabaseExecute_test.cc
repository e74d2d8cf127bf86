// Execute against a real database of each engine: the statements the imports
// write, the type checks, the errors, constraints and injection attempts, with
// every stored value read back through a separate connection.
#include <gtest/gtest.h>

#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "base/Errors.h"
#include "database/Database.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;

class DatabaseExecute : public testing::EngineTest {
 protected:
  void SetUp() override {
    DBEngine::CreateTargetDatabase(path_);
    database_ = DBEngine::Instance().OpenDatabase(path_);
  }

  std::vector<std::string> Rows(const std::string& sql) { return RawDatabase(path_).Rows(sql); }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  std::unique_ptr<Database> database_;
};
INSTANTIATE_FOR_EVERY_ENGINE(DatabaseExecute);

// What SQLite's column types (declared freely, or not at all) make of a value.
class SqliteDatabaseExecute : public DatabaseExecute {};
INSTANTIATE_FOR_SQLITE(SqliteDatabaseExecute);

TEST_P(DatabaseExecute, StoresTheStatementsOfEveryImport) {
  struct Case {
    const char* statement;
    const char* query;
    const char* stored;
  };
  const char* viruzedi =
      "SELECT Codart, IdLotto, \"id sottoord\", Quantità, Data, Rep FROM Viruzedi";
  const Case cases[] = {
      // pen download
      {"Insert Into Viruzedi (Codart,[id sottoOrd],IdLotto,Quantità) Select 'A1',12,345,  2.5",
       viruzedi, "'A1', 345, 12, 2.5, NULL, NULL"},
      // sub-order reads
      {"Insert Into Viruzedi (Codart,IdLotto,[Id SottoOrd],Quantità,Data) Select 'X12',5, 340,  "
       "2, #12/06/2026#",
       viruzedi, "'X12', 5, 340, 2.0, '2026-12-06', NULL"},
      // stock movements
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select 'X12',5,  2, #12/06/2026#, 3",
       viruzedi, "'X12', 5, NULL, 2.0, '2026-12-06', 3"},
      // reconciliation
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità) Select 'X12',5,  12.5", viruzedi,
       "'X12', 5, NULL, 12.5, NULL, NULL"},
      // remittances
      {"Insert Into Viruzedi_RimesseOF (IdUt, IdSottoORd,Qtà,NDoc,DataDoc) Select 4,340,  2 , "
       "'DDT15', #12/06/2026#",
       "SELECT IdUt, IdSottoORd, Qtà, NDoc, DataDoc FROM Viruzedi_RimesseOF",
       "4, 340, 2.0, 'DDT15', '2026-12-06'"},
      // infrared records
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select '#A7',12,  1.5, "
       "#12/06/2026#, 3",
       viruzedi, "'#A7', 12, NULL, 1.5, '2026-12-06', 3"},
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select '#A1',5,  2, #01/31/2026#, 7",
       viruzedi, "'#A1', 5, NULL, 2.0, '2026-01-31', 7"},
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità) Select 'N',-3, -1.5", viruzedi,
       "'N', -3, NULL, -1.5, NULL, NULL"},
  };
  for (const Case& c : cases) {
    RawDatabase(path_).Exec("DELETE FROM Viruzedi; DELETE FROM Viruzedi_RimesseOF");
    EXPECT_EQ(ErrorOf([&] { database_->Execute(c.statement); }), 0) << c.statement;
    EXPECT_EQ(Rows(c.query), std::vector<std::string>{c.stored}) << c.statement;
  }
}

TEST_P(SqliteDatabaseExecute, ChecksEachValueAgainstItsColumnsDeclaredType) {
  RawDatabase(path_).Exec(
      "CREATE TABLE Tipi (i INTEGER, r REAL, d DOUBLE, n NUMERIC, dt DATE, t TEXT, v VARCHAR(20), "
      "a, b BLOB, x DATETIME)");
  struct Case {
    const char* column;
    const char* literal;
    const char* stored;  // nullptr: type error 3464
  };
  const Case cases[] = {
      {"i", "12", "12"},
      {"i", "-7", "-7"},
      {"i", "1E+3", "1000"},
      {"i", "2.5", "2"},  // halves to even
      {"i", "3.5", "4"},
      {"i", "-2.5", "-2"},
      {"i", "9223372036854775807", "9223372036854775807"},
      {"i", "-9223372036854775808", "-9223372036854775808"},
      {"i", "9223372036854775808", nullptr},
      {"i", "1E+19", nullptr},
      {"i", "'12'", nullptr},
      {"i", "#12/06/2026#", nullptr},
      {"i", "Null", "NULL"},
      {"r", "2.5", "2.5"},
      {"r", "  2", "2.0"},
      {"r", ".5", "0.5"},
      {"r", "1E+15", "1e+15"},
      {"r", "'2.5'", nullptr},
      {"r", "#12/06/2026#", nullptr},
      {"d", "-1.5", "-1.5"},
      {"n", "12.5", "12.5"},
      {"dt", "#12/06/2026#", "'2026-12-06'"},
      {"dt", "'2026-12-06'", nullptr},
      {"dt", "20261206", nullptr},
      {"x", "#1/5/2026#", "'2026-01-05'"},
      {"t", "'A1'", "'A1'"},
      {"t", "' spazi '", "' spazi '"},
      {"t", "12", "'12'"},
      {"t", " - 1.50", "'-1.50'"},
      {"t", "#12/06/2026#", "'2026-12-06'"},
      {"v", "'abc'", "'abc'"},
      {"a", "'abc'", "'abc'"},
      {"a", "12", "12"},
      {"a", "2.5", "2.5"},
      {"b", "#12/06/2026#", "'2026-12-06'"},
  };
  for (const Case& c : cases) {
    RawDatabase(path_).Exec("DELETE FROM Tipi");
    std::string statement = std::string("Insert Into Tipi (") + c.column + ") Select " + c.literal;
    int32_t error = ErrorOf([&] { database_->Execute(statement); });
    if (c.stored == nullptr) {
      EXPECT_EQ(error, kDbTypeMismatch) << statement;
      EXPECT_EQ(Rows("SELECT * FROM Tipi").size(), 0u) << statement;
    } else {
      EXPECT_EQ(error, 0) << statement;
      EXPECT_EQ(Rows(std::string("SELECT ") + c.column + " FROM Tipi"),
                std::vector<std::string>{c.stored})
          << statement;
    }
  }
}

TEST_P(DatabaseExecute, EachFailureHasItsNumberAndStoresNothing) {
  struct Case {
    const char* statement;
    int32_t error;
  };
  const Case cases[] = {
      {"Insert Into Magazzino (Codart) Select 'A1'", kDbTableNotFound},
      {"Insert Into sqlite_master (name) Select 'A1'", kDbTableNotFound},
      {"Insert Into Viruzedi (Articolo) Select 'A1'", kDbUnknownColumn},
      {"Insert Into Viruzedi (Codart,[IdSottoOrd]) Select 'A1', 1", kDbUnknownColumn},
      {"Insert Into Viruzedi (Codart) Values ('A1')", kDbSyntaxError},
      {"Insert Into Viruzedi (Codart,IdLotto) Select 'A1'", kDbSyntaxError},
      {"Insert Into Viruzedi (Codart,codart) Select 'A1','A2'", kDbSyntaxError},
      {"Insert Into Viruzedi (Codart,Data) Select 'A1', #02/30/2026#", kDbSyntaxError},
      {"Delete From Viruzedi", kDbSyntaxError},
      {"Insert Into Viruzedi (Codart,IdLotto) Select 'A1', 'cinque'", kDbTypeMismatch},
      // One bad value keeps the whole row out, even after good ones.
      {"Insert Into Viruzedi (Codart,Quantità,IdLotto) Select 'A1', 2, 2.5E+30", kDbTypeMismatch},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { database_->Execute(c.statement); }), c.error) << c.statement;
  }
  EXPECT_EQ(Rows("SELECT * FROM Viruzedi").size(), 0u);
}

TEST_P(DatabaseExecute, DescriptionsNameWhatIsWrongInItalian) {
  struct Case {
    const char* statement;
    const char* description;
  };
  const Case cases[] = {
      {"Insert Into Magazzino (Codart) Select 'A1'", "Impossibile trovare la tabella 'Magazzino'."},
      {"Insert Into Viruzedi (Articolo) Select 'A1'",
       "L'istruzione INSERT INTO contiene il campo sconosciuto 'Articolo'."},
      // The field as the table names it, not as the statement wrote it.
      {"Insert Into Conteggi (PEZZI) Select 'A1'",
       "Tipo di dati non corrispondente per il campo 'Pezzi'."},
  };
  RawDatabase(path_).Exec("CREATE TABLE Conteggi (\"Pezzi\" INTEGER)");
  for (const Case& c : cases) {
    try {
      database_->Execute(c.statement);
      ADD_FAILURE() << "no error: " << c.statement;
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.description, c.description);
    }
  }
}

TEST_P(DatabaseExecute, InjectionAttemptsAreStoredVerbatimOrRefusedWithTheTableIntact) {
  database_->Execute("Insert Into Viruzedi (Codart,IdLotto) Select 'prima', 1");
  // Doubled as the statement builders double it: stored as it was read.
  database_->Execute(
      "Insert Into Viruzedi (Codart,IdLotto) Select 'x''); DROP TABLE Viruzedi; --', 2");
  database_->Execute("Insert Into Viruzedi (Codart,IdLotto) Select 'l''albero', 3");
  // Not doubled: a syntax error, and nothing after the text ever runs.
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute(
                  "Insert Into Viruzedi (Codart,IdLotto) Select 'x'); DROP TABLE Viruzedi; --', 4");
            }),
            kDbSyntaxError);
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute("Insert Into Viruzedi (Codart) Select 'a'; DROP TABLE Viruzedi");
            }),
            kDbSyntaxError);
  // Names never reach SQL as written: unknown names are refused before.
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute(
                  "Insert Into [Viruzedi\" (Codart) VALUES ('x'); DROP TABLE Viruzedi; --] "
                  "(Codart) Select 'a'");
            }),
            kDbTableNotFound);
  EXPECT_EQ(ErrorOf([&] {
              database_->Execute(
                  "Insert Into Viruzedi ([Codart\") VALUES (1); DROP TABLE Viruzedi; --]) Select 'a'");
            }),
            kDbUnknownColumn);
  EXPECT_EQ(Rows("SELECT Codart, IdLotto FROM Viruzedi"),
            (std::vector<std::string>{"'prima', 1", "'x'); DROP TABLE Viruzedi; --', 2",
                                      "'l'albero', 3"}));
  EXPECT_EQ(Rows(GetParam()->tableNames),
            (std::vector<std::string>{"'viruzedi'", "'viruzedi_importazioni'",
                                      "'viruzedi_rimesseof'"}));
}

TEST_P(DatabaseExecute, NamesWithQuotesAndBlanksAreQuotedAsIdentifiers) {
  RawDatabase(path_).Exec(R"(CREATE TABLE "strana ""tabella""" ("col ""a""" TEXT, b INTEGER))");
  database_->Execute("Insert Into [STRANA \"TABELLA\"] ([Col \"A\"], B) Select 'ok', 1");
  EXPECT_EQ(Rows(R"(SELECT * FROM "strana ""tabella""")"), std::vector<std::string>{"'ok', 1"});
}

TEST_P(DatabaseExecute, RowsThatAConstraintRefusesAreDroppedWithoutError) {
  RawDatabase(path_).Exec(
      "CREATE TABLE Letture (Codart TEXT NOT NULL, IdLotto INTEGER CHECK (IdLotto >= 0), Rep INTEGER);"
      "CREATE UNIQUE INDEX LettureUniche ON Letture (Codart, IdLotto)");
  uint64_t stored = 0;
  DatabaseSettings settings;
  settings.rowObserver = [&](const RowProgress&) { ++stored; };
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings);
  const char* statements[] = {
      "Insert Into Letture (Codart,IdLotto,Rep) Select 'A1', 1, 1",
      "Insert Into Letture (Codart,IdLotto,Rep) Select 'A1', 1, 2",  // duplicate key
      "Insert Into Letture (Codart,IdLotto,Rep) Select Null, 2, 3",   // required field
      "Insert Into Letture (IdLotto,Rep) Select 3, 4",                // required field left out
      "Insert Into Letture (Codart,IdLotto,Rep) Select 'A2', -1, 5",  // check
      "Insert Into Letture (Codart,IdLotto,Rep) Select 'A2', 1, 6",
  };
  for (const char* statement : statements) {
    EXPECT_EQ(ErrorOf([&] { database->Execute(statement); }), 0) << statement;
  }
  EXPECT_EQ(stored, 2u);
  EXPECT_EQ(Rows("SELECT * FROM Letture ORDER BY Rep"),
            (std::vector<std::string>{"'A1', 1, 1", "'A2', 1, 6"}));
}

TEST_P(DatabaseExecute, EveryRowIsCommittedOnItsOwn) {
  database_->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  // Seen at once by another connection, while this one stays open.
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), std::vector<std::string>{"'A1'"});
  EXPECT_EQ(ErrorOf([&] { database_->Execute("Insert Into Viruzedi (Codart) Select 'A2' x"); }),
            kDbSyntaxError);
  database_->Execute("Insert Into Viruzedi (Codart) Select 'A3'");
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"), (std::vector<std::string>{"'A1'", "'A3'"}));
}

TEST_P(DatabaseExecute, ColumnListsMayAlternate) {
  // Each list has its own prepared statement; they must not mix up.
  for (int i = 0; i < 3; ++i) {
    database_->Execute("Insert Into Viruzedi (Codart,IdLotto) Select 'a', 1");
    database_->Execute("Insert Into Viruzedi (IdLotto,Codart) Select 2, 'b'");
    database_->Execute("Insert Into Viruzedi_RimesseOF (NDoc) Select 'c'");
  }
  EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi WHERE Codart='a' AND IdLotto=1"), "3");
  EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi WHERE Codart='b' AND IdLotto=2"), "3");
  EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi_RimesseOF"), "3");
}

TEST_P(DatabaseExecute, TextKeepsEveryCharacter) {
  database_->Execute("Insert Into Viruzedi (Codart) Select ' città ''€'' \t;--\"[]'");
  EXPECT_EQ(Rows("SELECT Codart FROM Viruzedi"),
            std::vector<std::string>{"' città '€' \t;--\"[]'"});
}

}  // namespace
}  // namespace viruzedi
