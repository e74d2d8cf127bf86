// The crash sweep of the Windows builds, under Wine: a terminal download
// through the ODBC engine ended at the entry of each call of the
// component's seams with the system (crash_seams.exe, tests/crash/seams),
// one crash point per run, then recovered as the README tells an operator
// with viruzedi.exe (in-attesa, importa for each waiting file, the same
// download again); every read must then be stored exactly once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "tests/cli/StockMovements.h"
#include "tests/support/Concurrently.h"
#include "tests/windows/WindowsTest.h"

namespace viruzedi::testing {
namespace {

constexpr int kReads = 2;

// A workstation of one crash point: its database, download folder and
// terminal folder holding the terminal's file.
struct SeamWorkstation {
  SeamWorkstation() {
    std::filesystem::create_directories(terminal);
    WriteFile(terminal + "/1.txt", Movements("W", kReads));
    const CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(database));
    EXPECT_EQ(made.status, 0) << made.output;
  }

  Strings Download() const {
    return {WindowsPath(letture), WindowsPath(terminal), SqliteConnection(database)};
  }
  Strings Folder(Strings arguments) const {
    arguments.insert(arguments.begin(), {"--letture", WindowsPath(letture)});
    return arguments;
  }

  TemporaryFolder folder;
  const std::string database = folder / "magazzino.db";
  const std::string letture = folder / "_Letture";
  const std::string terminal = folder / "terminale";
};

// "seam calls: K" of a whole run; -1 when it printed none.
int SeamCalls(const WindowsOutcome& run) {
  const size_t at = run.output.rfind("seam calls: ");
  return at == std::string::npos ? -1 : std::stoi(run.output.substr(at + 12));
}

class SeamCrashes : public ::testing::TestWithParam<WindowsTarget> {
 protected:
  WindowsOutcome CrashSeams(const SeamWorkstation& station, int number) const {
    Strings arguments = station.Download();
    arguments.push_back(std::to_string(number));
    return RunWindows(GetParam(), "crash_seams.exe", arguments);
  }
  WindowsOutcome Viruzedi(const SeamWorkstation& station, const Strings& arguments) const {
    return RunWindows(GetParam(), "viruzedi.exe", station.Folder(arguments));
  }

  // What the crash at `number` leaves once recovered: "" when each read is
  // stored once, else what went wrong.
  std::string CrashAndRecover(int number) const {
    SeamWorkstation station;
    const WindowsOutcome crashed = CrashSeams(station, number);
    std::string found;
    if (crashed.status != 137) found += " never reached (" + std::to_string(crashed.status) + ")";
    for (const WaitingFileLine& file :
         ParseWaitingFiles(Viruzedi(station, {"in-attesa"}).output)) {
      const WindowsOutcome imported =
          Viruzedi(station, {"importa", file.path, "--formato", file.format, "--db",
                             SqliteConnection(station.database)});
      if (imported.status != 0) found += " importa ended with " + std::to_string(imported.status);
    }
    const WindowsOutcome again =
        Viruzedi(station, {"--terminale", "dir:" + WindowsPath(station.terminal), "scarica4",
                           "--db", SqliteConnection(station.database)});
    if (again.status != 0)
      found += " the download again ended with " + std::to_string(again.status);
    const Strings stored = QueryRows(station.database,
                                     "SELECT Codart || ' x' || count(*) FROM "
                                     "Viruzedi GROUP BY Codart ORDER BY Codart");
    Strings expected;
    for (int i = 0; i < kReads; ++i) expected.push_back("W" + std::to_string(i) + " x1");
    if (stored != expected) {
      found += " rows:";
      for (const std::string& row : stored) found += " " + row;
    }
    return found;
  }
};

TEST_P(SeamCrashes, EveryCrashPointLeavesEachReadStoredOnce) {
  int points = 0;
  std::string counted;
  {
    SeamWorkstation clean;
    const WindowsOutcome run = CrashSeams(clean, 0);
    points = SeamCalls(run);
    counted = run.output.substr(run.output.rfind("seam calls: "));
    ASSERT_GT(points, 0) << run;
    ASSERT_EQ(QueryRows(clean.database, "SELECT count(*) FROM Viruzedi"), Strings{"2"}) << run;
  }
  std::vector<std::string> outcomes(static_cast<size_t>(points));
  ForEachConcurrently(outcomes.size(), 3,
                      [&](size_t i) { outcomes[i] = CrashAndRecover(static_cast<int>(i) + 1); });
  std::string failures;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    if (!outcomes[i].empty()) failures += "\n  call " + std::to_string(i + 1) + ":" + outcomes[i];
  }
  std::cout << TargetName(GetParam()) << ": " << counted;
  EXPECT_TRUE(failures.empty()) << "crash points that do not leave each read stored once:"
                                << failures;
}

VIRUZEDI_FOR_BOTH_TARGETS(SeamCrashes);

}  // namespace
}  // namespace viruzedi::testing
