// The engine root and the life of a database file: creating one, opening it
// (never creating it) with an error number for each way that fails, locks
// held by other programs, durability and the listing of the tables.
#include "database/Database.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/database/support/DatabaseLock.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "base/Errors.h"
#include "base/NameFolding.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;
namespace fs = std::filesystem;

class DatabaseFile : public testing::EngineTest {
 protected:
  void SetUp() override { DBEngine::CreateTargetDatabase(path_); }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  DatabaseSettings settings_;
};
INSTANTIATE_FOR_SQLITE(DatabaseFile);

// What holds for a database of any engine.
class AnyDatabase : public DatabaseFile {};
INSTANTIATE_FOR_EVERY_ENGINE(AnyDatabase);

TEST_P(DatabaseFile, CreateMakesTheTwoTablesWithTheirDeclaredTypes) {
  RawDatabase raw(path_);
  EXPECT_EQ(raw.Rows("SELECT name, type FROM pragma_table_info('Viruzedi')"),
            (std::vector<std::string>{
                "'Codart', 'TEXT'", "'IdLotto', 'INTEGER'", "'Id SottoOrd', 'INTEGER'",
                "'Quantità', 'REAL'", "'Data', 'DATE'", "'Rep', 'INTEGER'", "'NColli', 'TEXT'",
                "'Lotto_Codice', 'TEXT'", "'Lotto_Scadenza', 'DATE'", "'SSCC', 'TEXT'"}));
  EXPECT_EQ(raw.Rows("SELECT name, type FROM pragma_table_info('Viruzedi_RimesseOF')"),
            (std::vector<std::string>{"'IdUt', 'INTEGER'", "'IdSottoORd', 'INTEGER'",
                                      "'Qtà', 'REAL'", "'NDoc', 'TEXT'", "'DataDoc', 'DATE'"}));
  EXPECT_EQ(raw.Value("PRAGMA journal_mode"), "'wal'");
}

TEST_P(DatabaseFile, CreateNeverReplacesAFile) {
  std::string other = folder_ / "altro.db";
  testing::WriteFile(other, "dati preziosi");
  EXPECT_EQ(ErrorOf([&] { DBEngine::CreateTargetDatabase(other); }), kFileAlreadyExists);
  EXPECT_EQ(testing::ReadFile(other), "dati preziosi");
  EXPECT_EQ(ErrorOf([&] { DBEngine::CreateTargetDatabase(path_); }), kFileAlreadyExists);
  EXPECT_EQ(ErrorOf([&] { DBEngine::CreateTargetDatabase(folder_ / "manca/nuovo.db"); }),
            kPathNotFound);
  EXPECT_FALSE(fs::exists(folder_ / "manca"));
}

TEST_P(DatabaseFile, OpenRefusesWhatIsNotAnExistingDatabase) {
  testing::WriteFile(folder_ / "vuoto.db", "");
  testing::WriteFile(folder_ / "testo.db", "Codart;IdLotto\nA1;5\n");
  testing::WriteFile(folder_ / "lungo.db", std::string(8192, 'x'));
  fs::create_directory(folder_ / "cartella.db");
  struct Case {
    std::string name;
    int32_t error;
  };
  const Case cases[] = {
      {folder_ / "manca.db", kDbFileNotFound},
      {folder_ / "manca/manca.db", kDbFileNotFound},
      {"", kDbFileNotFound},
      {folder_ / "vuoto.db", kDbNotADatabase},
      {folder_ / "testo.db", kDbNotADatabase},
      {folder_ / "lungo.db", kDbNotADatabase},
      {folder_ / "cartella.db", kDbNotADatabase},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf([&] { DBEngine::Instance().OpenDatabase(c.name); }), c.error) << c.name;
  }
  // Never created, never changed.
  EXPECT_FALSE(fs::exists(folder_ / "manca.db"));
  EXPECT_EQ(fs::file_size(folder_ / "vuoto.db"), 0u);
  EXPECT_EQ(testing::ReadFile(folder_ / "testo.db"), "Codart;IdLotto\nA1;5\n");
}

TEST_P(DatabaseFile, MissingFileDescriptionNamesIt) {
  try {
    DBEngine::Instance().OpenDatabase(folder_ / "manca.db");
    FAIL() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.description, "Impossibile trovare il file '" + folder_ / "manca.db" + "'.");
  }
}

TEST_P(DatabaseFile, OpenRefusesAFileItMayNotReadAndWrite) {
  if (testing::PermissionsIgnored(folder_.path())) GTEST_SKIP() << "permissions are ignored";
  fs::permissions(path_, fs::perms::owner_read);
  EXPECT_EQ(ErrorOf([&] { DBEngine::Instance().OpenDatabase(path_, settings_); }), kDbCannotOpen);
  fs::permissions(path_, fs::perms::none);
  EXPECT_EQ(ErrorOf([&] { DBEngine::Instance().OpenDatabase(path_, settings_); }), kDbCannotOpen);
  // A writable file in a folder where its WAL cannot be made.
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(folder_.path(), fs::perms::owner_read | fs::perms::owner_exec);
  int32_t error = ErrorOf([&] { DBEngine::Instance().OpenDatabase(path_, settings_); });
  fs::permissions(folder_.path(), fs::perms::owner_all);
  EXPECT_EQ(error, kDbCannotOpen);
}

TEST_P(DatabaseFile, OpenSetsWalModeOnAnOlderFile) {
  std::string older = folder_ / "vecchio.db";
  RawDatabase(older).Exec("CREATE TABLE Viruzedi (Codart TEXT)");
  EXPECT_EQ(RawDatabase(older).Value("PRAGMA journal_mode"), "'delete'");
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(older);
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  EXPECT_EQ(RawDatabase(older).Value("PRAGMA journal_mode"), "'wal'");
}

TEST_P(DatabaseFile, ExclusiveLockOfAnotherProgramFailsTheOpen) {
  settings_.busyTimeout = std::chrono::milliseconds(50);
  RawDatabase other(path_);
  other.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; "
             "INSERT INTO Viruzedi (Codart) VALUES ('altro')");
  EXPECT_EQ(ErrorOf([&] { DBEngine::Instance().OpenDatabase(path_, settings_); }), kDbLocked);
  other.Exec("COMMIT; PRAGMA locking_mode=NORMAL; SELECT 1 FROM Viruzedi");
  EXPECT_EQ(ErrorOf([&] { DBEngine::Instance().OpenDatabase(path_, settings_); }), 0);
}

TEST_P(AnyDatabase, WriteLockOfAnotherProgramFailsTheStatementUntilReleased) {
  if (!testing::DatabaseLock::Available()) GTEST_SKIP() << "no other program to hold the lock";
  settings_.busyTimeout = std::chrono::milliseconds(50);
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
  std::unique_ptr<Recordset> recordset = database->OpenRecordset("Select * from viruzedi", 8);
  testing::DatabaseLock other(path_, folder_.path());
  EXPECT_EQ(ErrorOf([&] { database->Execute("Insert Into Viruzedi (Codart) Select 'A1'"); }),
            kDbLocked);
  recordset->AddNew();
  recordset->SetCollect("Codart", "A2");
  EXPECT_EQ(ErrorOf([&] { recordset->Update(); }), kDbLocked);
  other.Release();
  // The same statement, and the same pending row, go through once released.
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  recordset->Update();
  EXPECT_EQ(RawDatabase(path_).Rows("SELECT Codart FROM Viruzedi"),
            (std::vector<std::string>{"'A1'", "'A2'"}));
}

TEST_P(AnyDatabase, ReadersOfAnotherProgramDoNotBlockWriting) {
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
  RawDatabase reader(path_);
  reader.Exec("BEGIN; SELECT count(*) FROM Viruzedi");
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  // A reader holding an old snapshot keeps the checkpoint from completing;
  // MakeDurable must neither wait for it nor fail.
  EXPECT_EQ(ErrorOf([&] { database->MakeDurable(); }), 0);
  reader.Exec("COMMIT");
  EXPECT_EQ(reader.Rows("SELECT Codart FROM Viruzedi"), std::vector<std::string>{"'A1'"});
}

TEST_P(DatabaseFile, MakeDurableCarriesTheRowsIntoTheDatabaseFile) {
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  database->Execute("Insert Into Viruzedi (Codart) Select 'A2'");
  database->MakeDurable();
  // A copy of the main file alone, without its WAL, holds the rows.
  std::string copy = folder_ / "copia.db";
  fs::copy_file(path_, copy);
  EXPECT_EQ(RawDatabase(copy).Rows("SELECT Codart FROM Viruzedi"),
            (std::vector<std::string>{"'A1'", "'A2'"}));
}

TEST_P(DatabaseFile, DestroyingTheDatabaseClosesTheFile) {
  settings_.busyTimeout = std::chrono::milliseconds(50);
  {
    std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
    database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  }
  // Only a file nobody else has open can be locked exclusively.
  RawDatabase other(path_);
  EXPECT_TRUE(other.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT"));
}

TEST_P(AnyDatabase, EachOwnerOfSettingsCountsItsOwnStoredRows) {
  std::vector<std::string> seen;
  settings_.rowObserver = [&](const RowProgress& progress) {
    seen.push_back(std::to_string(progress.stored) + ":" + std::to_string(progress.importStored) +
                   "/" + std::to_string(progress.importRows));
  };
  DatabaseSettings otherSettings;
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
  std::unique_ptr<Database> other = DBEngine::Instance().OpenDatabase(path_, otherSettings);
  database->Execute("Insert Into Viruzedi (Codart) Select 'A1'");
  other->Execute("Insert Into Viruzedi (Codart) Select 'B1'");
  // An import that knows its rows: its share counts from its first row.
  database->ExpectRows(2);
  std::unique_ptr<Recordset> recordset = database->OpenRecordset("Select * from viruzedi", 8);
  recordset->AddNew();
  recordset->Update();
  database->Execute("Insert Into Viruzedi (Codart) Select 'A2'");
  EXPECT_EQ(seen, (std::vector<std::string>{"1:0/0", "2:1/2", "3:2/2"}));
  EXPECT_EQ(otherSettings.RowsStored(), 1u);
}

TEST_P(DatabaseFile, DumpListsBothTablesWithAtMostFiftyRows) {
  {
    std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
    for (int i = 1; i <= 52; ++i) {
      database->Execute("Insert Into Viruzedi (Codart,IdLotto,Quantità,Data) Select 'A" +
                        std::to_string(i) + "', " + std::to_string(i) + ",  2.5, #12/06/2026#");
    }
  }
  std::string dump = DumpTables(path_);
  EXPECT_NE(dump.find("Viruzedi: 52 rows\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  Codart | IdLotto | Id SottoOrd | Quantità | Data       |"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("  A1     | 1       |             | 2.5      | 2026-12-06 |"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("A50 "), std::string::npos);
  EXPECT_EQ(dump.find("A51 "), std::string::npos);
  EXPECT_NE(dump.find("  ... and 2 more\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("Viruzedi_RimesseOF: 0 rows\n  IdUt | IdSottoORd | Qtà | NDoc | DataDoc\n"),
            std::string::npos)
      << dump;
  EXPECT_EQ(ErrorOf([&] { DumpTables(folder_ / "manca.db"); }), kDbFileNotFound);
  EXPECT_FALSE(fs::exists(folder_ / "manca.db"));
}

TEST(NameFolding, FoldsTheLettersOfTheComponentsNames) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"IdLotto", "IDLOTTO", true},     {"Quantità", "QUANTITÀ", true},
      {"Qtà", "qtÀ", true},             {"Id SottoOrd", "id sottoord", true},
      {"ÉÈÌÒÙÇÑÖ", "éèìòùçñö", true},   {"ŁŚŽĀ", "łśžā", true},
      {"Ÿ", "ÿ", true},                 {"Quantità", "Quantita", false},
      {"×", "÷", false},                {"ß", "SS", false},
      {"Id_Lotto", "IdLotto", false},   {"a\xC3", "A\xC3", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " / " << c.b;
  }
  EXPECT_EQ(FoldName("Quantità"), "quantità");
}

TEST_P(AnyDatabase, NamesMatchWithoutRegardToCase) {
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(path_, settings_);
  database->Execute("insert into VIRUZEDI (CODART,[ID SOTTOORD],idlotto,QUANTITÀ) select 'A1',1,2,3");
  database->Execute("Insert Into viruzedi_rimesseof (idut,IDSOTTOORD,QTÀ,ndoc) Select 4,5,6,'D'");
  RawDatabase raw(path_);
  EXPECT_EQ(raw.Rows("SELECT Codart, \"id sottoord\", IdLotto, Quantità FROM Viruzedi"),
            std::vector<std::string>{"'A1', 1, 2, 3.0"});
  EXPECT_EQ(raw.Rows("SELECT * FROM Viruzedi_RimesseOF"),
            std::vector<std::string>{"4, 5, 6.0, 'D', NULL"});
}

}  // namespace
}  // namespace viruzedi
