// Passwords in database values, as a person types or pastes them: a
// PostgreSQL keyword string reaches its server (never an SQLite file named
// after it), a value with blanks around it is the value without them, a URI
// a slash short is refused saying so, and a password is never shown,
// whatever engine the value was taken for.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ChildProcess.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/Commands.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

constexpr char kSecret[] = "S3GRETISSIMA";

// `viruzedi ARGUMENTS` (shell words) run in `folder`, where a file the
// command made by mistake would appear.
CommandOutcome RunIn(const std::string& folder, const std::string& arguments) {
  return Finish(*ChildProcess::Start(
      {"/bin/sh", "-c",
       "cd " + ShellQuoted(folder) + " && exec " + ShellQuoted(BinFolder() + "viruzedi") + " " +
           arguments + " 2>&1"},
      true));
}

// The test server's URI postgresql:///NAME?host=H&user=U written as a
// keyword string, with a password (the test server trusts its local
// connections, so any will do).
std::string KeywordStringOf(const std::string& uri) {
  const size_t path = uri.find(":///") + 4;
  const size_t query = uri.find('?', path);
  std::string keywords = "dbname=" + uri.substr(path, query - path);
  std::string parameters = uri.substr(query + 1);
  for (size_t at = 0; at <= parameters.size();) {
    size_t end = std::min(parameters.find('&', at), parameters.size());
    keywords += " " + parameters.substr(at, end - at);
    at = end + 1;
  }
  return keywords + " password=" + kSecret;
}

class Secrets : public ::testing::Test {
 protected:
  TemporaryFolder here;
  std::string database = kPostgresqlEngine.NewDatabase(here);
};

TEST_F(Secrets, AKeywordStringReachesTheServerAndNeverBecomesAFile) {
  ASSERT_FALSE(database.empty());
  const std::string keywords = KeywordStringOf(database);
  CommandOutcome made = RunIn(here.path(), "init-db " + ShellQuoted(keywords));
  EXPECT_EQ(made.status, 0) << made.output;
  EXPECT_EQ(QueryRows(database, kPostgresqlEngine.tableNames),
            (std::vector<std::string>{"viruzedi", "viruzedi_importazioni", "viruzedi_rimesseof"}));
  CommandOutcome shown = RunIn(here.path(), "mostra --db " + ShellQuoted(keywords));
  EXPECT_EQ(shown.status, 0) << shown.output;
  EXPECT_NE(shown.output.find("viruzedi: 0 rows"), std::string::npos) << shown.output;
  CommandOutcome again = RunIn(here.path(), "init-db " + ShellQuoted(keywords));
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("errore 58"), std::string::npos) << again.output;
  for (const CommandOutcome& run : {made, shown, again}) {
    EXPECT_EQ(run.output.find(kSecret), std::string::npos) << run.output;
  }
  EXPECT_TRUE(FolderNames(here.path()).empty());
}

TEST_F(Secrets, BlanksAroundAValueAreNoPartOfIt) {
  ASSERT_FALSE(database.empty());
  ASSERT_EQ(RunViruzedi("init-db " + ShellQuoted(database)).status, 0);
  for (const std::string& pasted :
       {" " + database, database + " \n", "\t" + KeywordStringOf(database)}) {
    CommandOutcome shown = RunIn(here.path(), "mostra --db " + ShellQuoted(pasted));
    EXPECT_EQ(shown.status, 0) << pasted << shown.output;
    EXPECT_EQ(shown.output.find(kSecret), std::string::npos) << shown.output;
  }
  EXPECT_TRUE(FolderNames(here.path()).empty());
}

// A value that looks like a server's and is none: refused with what is
// wrong, before anything leaves the terminal.
TEST_F(Secrets, AUriThatIsNoneIs3151SayingWhatIsWrong) {
  std::filesystem::create_directory(here / "terminale");
  WriteFile(here / "terminale/1.txt", "A1$1;2;20261206;3\r\n");
  for (const std::string& uri : {"postgresql:/postgres:" + std::string(kSecret) + "@/postgres",
                                 "PostgreSQL://postgres:" + std::string(kSecret) + "@/postgres"}) {
    CommandOutcome download =
        RunIn(here.path(), "--letture " + ShellQuoted(here / "_Letture") + " --terminale " +
                               ShellQuoted("dir:" + here / "terminale") + " scarica4 --db " +
                               ShellQuoted(uri));
    EXPECT_EQ(download.status, 1) << download.output;
    EXPECT_NE(download.output.find("[3151] "), std::string::npos) << download.output;
    EXPECT_NE(download.output.find("non è un URI valido"), std::string::npos) << download.output;
    EXPECT_NE(download.output.find("postgres:***@"), std::string::npos) << download.output;
    EXPECT_EQ(download.output.find(kSecret), std::string::npos) << download.output;
    EXPECT_EQ(FolderNames(here / "terminale"), std::vector<std::string>{"1.txt"});
  }
}

// Taken for a file's name, a connection string still keeps its password.
TEST_F(Secrets, AValueTakenForAFileNeverShowsItsPassword) {
  for (const std::string& value :
       {"Server=db.local;Uid=anna;PWD=" + std::string(kSecret) + ";Database=magazzino",
        "server=db.local password=" + std::string(kSecret) + " dbname=magazzino"}) {
    CommandOutcome shown = RunIn(here.path(), "mostra --db " + ShellQuoted(value));
    EXPECT_EQ(shown.status, 1) << shown.output;
    EXPECT_NE(shown.output.find("errore 3024"), std::string::npos) << shown.output;
    EXPECT_NE(shown.output.find("=***"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find(kSecret), std::string::npos) << shown.output;
  }
}

}  // namespace
}  // namespace viruzedi::testing
