// Opens of a file that this thread already holds open, as the infrared
// import makes one per record: they share the held connection, yet each one
// checks the file as a first open does, never writes through a connection to
// a file that no longer stands at the name, and closing keeps its meaning.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "database/Database.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::RawDatabase;
namespace fs = std::filesystem;

constexpr const char* kRiga = "Insert Into Viruzedi (Codart) Select 'A1'";
// Runs only on a file whose table has the column Nuova: it tells the file
// put in place apart from the one held open.
constexpr const char* kRigaNuova = "Insert Into Viruzedi (Codart,Nuova) Select 'A2', 1";


// A target database whose table has one column more than the engine's.
void MakeOtherDatabase(const std::string& path) {
  DBEngine::CreateTargetDatabase(path);
  RawDatabase(path).Exec("ALTER TABLE Viruzedi ADD COLUMN Nuova INTEGER");
}

// The file's name and its WAL companions go; a connection holding them
// keeps the files themselves.
void RemoveNames(const std::string& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
}

size_t OpenDescriptors() {
  auto entries = fs::directory_iterator("/proc/self/fd");
  return static_cast<size_t>(std::distance(fs::begin(entries), fs::end(entries)));
}

class HeldDatabase : public testing::EngineTest {
 protected:
  void SetUp() override { DBEngine::CreateTargetDatabase(path_); }

  std::unique_ptr<Database> Open(const std::string& path) {
    return DBEngine::Instance().OpenDatabase(path, settings_);
  }

  testing::TemporaryFolder folder_;
  std::string path_ = GetParam()->NewDatabase(folder_);
  DatabaseSettings settings_;
};
INSTANTIATE_FOR_SQLITE(HeldDatabase);

// The thread's connection, whatever the engine behind it.
class HeldConnection : public HeldDatabase {};
INSTANTIATE_FOR_EVERY_ENGINE(HeldConnection);

TEST_P(HeldDatabase, AnOpenPerRowSharesOneConnectionAndClosesItWithTheLast) {
  std::unique_ptr<Database> current = Open(path_);
  current->Execute(kRiga);
  const size_t descriptors = OpenDescriptors();
  for (int row = 1; row < 20; ++row) {
    // Each open replaces the one before, as the infrared import does.
    current = Open(path_);
    current->Execute(kRiga);
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  current.reset();
  // Only a file nobody else has open can be locked exclusively.
  RawDatabase other(path_);
  EXPECT_TRUE(other.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT"));
  EXPECT_EQ(other.Value("SELECT count(*) FROM Viruzedi"), "20");
}

TEST_P(HeldDatabase, ClosingOneLeavesTheOthersOpenAndTheLastClosesTheFile) {
  settings_.busyTimeout = std::chrono::milliseconds(50);
  std::unique_ptr<Database> first = Open(path_);
  std::unique_ptr<Database> second = Open(path_);
  std::unique_ptr<Recordset> firstRows = first->OpenRecordset("Select * from viruzedi", 8);
  std::unique_ptr<Recordset> secondRows = second->OpenRecordset("Select * from viruzedi", 8);
  first->Close();

  EXPECT_EQ(ErrorOf([&] { first->Execute(kRiga); }), kDbObjectClosed);
  EXPECT_EQ(ErrorOf([&] { firstRows->AddNew(); }), kDbObjectClosed);
  EXPECT_EQ(ErrorOf([&] { second->Execute(kRiga); }), 0);
  EXPECT_EQ(ErrorOf([&] {
              secondRows->AddNew();
              secondRows->Update();
            }),
            0);

  second->Close();
  EXPECT_EQ(ErrorOf([&] { secondRows->AddNew(); }), kDbObjectClosed);
  // The record sets outlive their databases but keep nothing open.
  RawDatabase other(path_);
  EXPECT_TRUE(other.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT"));
  EXPECT_EQ(other.Value("SELECT count(*) FROM Viruzedi"), "2");
}

TEST_P(HeldConnection, ATransactionLeftOpenIsRolledBackBeforeTheSharedConnectionGoesOn) {
  std::unique_ptr<Database> keeper = Open(path_);
  {
    std::unique_ptr<Database> closed = Open(path_);
    closed->BeginTransaction();
    closed->Execute(kRiga);
    closed->Close();
  }
  {
    std::unique_ptr<Database> destroyed = Open(path_);
    destroyed->BeginTransaction();
    destroyed->Execute(kRiga);
  }
  {
    Transaction abandoned(*keeper);
    keeper->Execute(kRiga);
  }
  {
    std::unique_ptr<Database> committed = Open(path_);
    Transaction transaction(*committed);
    committed->Execute(kRiga);
    transaction.Commit();
  }
  // Outside any transaction the row is committed at once, for any reader.
  keeper->Execute(kRiga);
  EXPECT_EQ(RawDatabase(path_).Value("SELECT count(*) FROM Viruzedi"), "2");
}

TEST_P(HeldDatabase, ANameThatNoLongerLeadsToADatabaseFailsAsAFirstOpenWould) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> replace;
    int32_t error;
  };
  const std::vector<Case> cases{
      {"removed", RemoveNames, kDbFileNotFound},
      {"an empty file", [](const std::string& path) {
         RemoveNames(path);
         testing::WriteFile(path, "");
       }, kDbNotADatabase},
      {"a text file", [](const std::string& path) {
         RemoveNames(path);
         testing::WriteFile(path, "Codart;IdLotto\r\nA1;5\r\n");
       }, kDbNotADatabase},
      {"a folder", [](const std::string& path) {
         RemoveNames(path);
         fs::create_directory(path);
       }, kDbNotADatabase},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    testing::TemporaryFolder folder;
    std::string path = folder / "magazzino.db";
    DBEngine::CreateTargetDatabase(path);
    std::unique_ptr<Database> held = Open(path);
    held->Execute(kRiga);
    test.replace(path);
    EXPECT_EQ(ErrorOf([&] { Open(path); }), test.error);
  }
}

TEST_P(HeldDatabase, RowsGoToTheFileThatStandsAtTheNameNow) {
  struct Case {
    const char* what;
    // Makes the database to hold in `folder` and returns its name.
    std::function<std::string(const std::string& folder)> make;
    // Puts the other database at that name.
    std::function<void(const std::string& folder, const std::string& name)> replace;
  };
  auto plain = [](const std::string& folder) {
    DBEngine::CreateTargetDatabase(folder + "/magazzino.db");
    return folder + "/magazzino.db";
  };
  const std::vector<Case> cases{
      {"renamed over it", plain, [](const std::string& folder, const std::string& name) {
         MakeOtherDatabase(folder + "/altro.db");
         RemoveNames(name);
         fs::rename(folder + "/altro.db", name);
       }},
      {"deleted and made anew", plain, [](const std::string&, const std::string& name) {
         RemoveNames(name);
         MakeOtherDatabase(name);
       }},
      {"a symbolic link turned to another file",
       [](const std::string& folder) {
         DBEngine::CreateTargetDatabase(folder + "/primo.db");
         fs::create_symlink(folder + "/primo.db", folder + "/magazzino.db");
         return folder + "/magazzino.db";
       },
       [](const std::string& folder, const std::string& name) {
         MakeOtherDatabase(folder + "/altro.db");
         fs::remove(name);
         fs::create_symlink(folder + "/altro.db", name);
       }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    testing::TemporaryFolder folder;
    std::string name = test.make(folder.path());
    std::unique_ptr<Database> held = Open(name);
    held->Execute(kRiga);
    test.replace(folder.path(), name);
    std::unique_ptr<Database> next = Open(name);
    EXPECT_EQ(ErrorOf([&] { next->Execute(kRigaNuova); }), 0);
    // The held connection still writes to its own file, which has no such
    // column: the row above cannot have gone through it.
    EXPECT_EQ(ErrorOf([&] { held->Execute(kRigaNuova); }), kDbUnknownColumn);
  }
}

// As a server's session lost inside a transaction: the rows written in it
// are with the file that went, so the open must not go on without them.
TEST_P(HeldDatabase, AnOpenInsideATransactionOnAFileNoLongerAtItsNameIs3146) {
  std::unique_ptr<Database> held = Open(path_);
  Transaction transaction(*held);
  held->Execute(kRiga);
  MakeOtherDatabase(folder_ / "altro.db");
  RemoveNames(path_);
  fs::rename(folder_ / "altro.db", path_);
  EXPECT_EQ(ErrorOf([&] { Open(path_); }), kDbConnectionLost);
}

TEST_P(HeldDatabase, ARelativeNameIsReadInTheWorkingFolderOfEachOpen) {
  testing::TemporaryFolder other;
  MakeOtherDatabase(other / "magazzino.db");
  const fs::path working = fs::current_path();
  fs::current_path(folder_.path());
  std::unique_ptr<Database> held = Open("magazzino.db");
  fs::current_path(other.path());
  int32_t error = ErrorOf([&] { Open("magazzino.db")->Execute(kRigaNuova); });
  fs::current_path(working);
  EXPECT_EQ(error, 0);
}

TEST_P(HeldConnection, ATableChangedByAnotherProgramIsReadAnewByTheNextOpen) {
  std::unique_ptr<Database> held = Open(path_);
  held->Execute(kRiga);
  RawDatabase(path_).Exec("ALTER TABLE Viruzedi ADD COLUMN Nuova INTEGER");
  EXPECT_EQ(ErrorOf([&] { Open(path_)->Execute(kRigaNuova); }), 0);
}

TEST_P(HeldDatabase, AFileMadeReadOnlyIsRefusedByTheNextOpen) {
  if (testing::PermissionsIgnored(folder_.path())) GTEST_SKIP() << "permissions are ignored";
  std::unique_ptr<Database> held = Open(path_);
  fs::permissions(path_, fs::perms::owner_read);
  int32_t error = ErrorOf([&] { Open(path_); });
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(error, kDbCannotOpen);
}

TEST_P(HeldConnection, AnotherThreadGetsAConnectionOfItsOwn) {
  std::unique_ptr<Database> held = Open(path_);
  held->Execute(kRiga);
  const size_t descriptors = OpenDescriptors();
  size_t descriptorsInThread = 0;
  std::thread([&] {
    std::unique_ptr<Database> own = Open(path_);
    own->Execute(kRiga);
    descriptorsInThread = OpenDescriptors();
  }).join();
  EXPECT_GT(descriptorsInThread, descriptors);
}

}  // namespace
}  // namespace viruzedi
