// The crash sweep: each download kind is killed at every state-changing
// system call of its process, one crash point per run, then recovered as the
// README tells an operator (`in-attesa`, `importa` for each waiting file, the
// same download again from the same device), and every read must then be
// stored exactly once, with nothing left in the download folder that holds
// no read (an empty reservation, a partial transfer).
//
// A first, clean run under strace counts the calls (write, pwrite64,
// fsync, fdatasync, ftruncate, rename*, unlink*, linkat, openat, sendto) of
// the command's own process; every (call, N) is then a crash point, tried on a new
// workstation with the device holding the same reads. A kill between two of
// these calls leaves the files and the devices as a kill at the next one
// does (once a reader program it started has ended), so the points stand for
// every instant of the run.
//
// What the sweep does not cover:
// - A power cut. The kill ends the process, not the machine: what it wrote
//   is still in the page cache and reaches the disk, synced or not. A
//   missing or misplaced fsync, writes the disk reorders, a torn write, a
//   file system that loses a rename are not found here.
// - Crashes of other processes (DO_Duri.exe, the devices) and a second crash
//   during the recovery: one crash per run.
// - The server's side: on PostgreSQL the kill ends the client only (its
//   sends, the COMMIT's among them, are crash points); an answer lost on
//   the way back, a backend ended and a server stopped are made by
//   tests/cli/LostCommit_test.cc with a proxy and a server of its own.
// - The pen download, which is none of the four kinds.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <thread>

#include "platform/AsideFile.h"
#include "tests/crash/CrashPoints.h"
#include "tests/crash/Workstations.h"

namespace viruzedi::testing {
namespace {

struct DownloadKind {
  const char* name;
  WorkstationMaker workstation;
  std::vector<std::string> reads;  // in the device's form
  std::vector<std::string> codes;  // the code each read stores, sorted
  StoredIn engine = StoredIn::kSqliteFile;
};

void PrintTo(const DownloadKind& kind, std::ostream* out) { *out << kind.name; }

// Few reads: the sweep's time grows with the calls a download makes, and
// two or three reads already show a read stored twice or lost.
const std::vector<std::string> kMovements = {"ART0$0;1;20261206;1", "ART1$1;1;20261206;1"};
const std::vector<std::string> kRecords = {"#A7$12;1.5;20261206;3;", "#B$1;1;20261206;1;",
                                           "#C$2;1;20261206;1;"};
const std::vector<std::string> kReaderLines = {"8001234;5", "8001235;12;17", "8001236;3,5;18"};

// Each kind into an SQLite file, and into a database of the PostgreSQL
// server, where the COMMIT is a statement sent and the server's own files
// are out of the kill's reach.
const DownloadKind kDownloads[] = {
    {"Scarica4OverFolder", TerminalOverFolder, kMovements, {"ART0", "ART1"}},
    {"Scarica4OverSerial", TerminalOverSerial, kMovements, {"ART0", "ART1"}},
    {"Scarica1", InfraredLink, kRecords, {"#A7", "#B", "#C"}},
    {"Scarica2", ReaderProgram, kReaderLines, {"8001234", "8001235", "8001236"}},
    {"Scarica4OverFolderOnPostgresql",
     TerminalOverFolder,
     kMovements,
     {"ART0", "ART1"},
     StoredIn::kPostgresqlServer},
    {"Scarica4OverSerialOnPostgresql",
     TerminalOverSerial,
     kMovements,
     {"ART0", "ART1"},
     StoredIn::kPostgresqlServer},
    {"Scarica1OnPostgresql",
     InfraredLink,
     kRecords,
     {"#A7", "#B", "#C"},
     StoredIn::kPostgresqlServer},
    {"Scarica2OnPostgresql",
     ReaderProgram,
     kReaderLines,
     {"8001234", "8001235", "8001236"},
     StoredIn::kPostgresqlServer},
};

// What a crash point left, once recovered.
struct Outcome {
  CrashPoint point;
  int killedStatus = 0;  // 137 when the kill landed
  size_t waiting = 0;    // files `in-attesa` listed
  size_t imported = 0;   // of those, files `importa` took
  int againStatus = 0;   // the download run again
  std::vector<std::string> codes;
  // What the crash left in the download folder that holds no read and
  // that the download run again did not remove: an empty reservation, a
  // partial file written aside.
  std::vector<std::string> leftovers;
};

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : FolderNames(folder)) {
    const std::string path = folder + "/" + name;
    const bool reservation = name.size() > 4 && name.substr(name.size() - 4) == ".tmp" &&
                             std::filesystem::is_regular_file(path) &&
                             std::filesystem::file_size(path) == 0;
    if (reservation || !AsideFileDestination(name).empty()) found.push_back(name);
  }
  return found;
}

std::vector<std::string> Plus(std::vector<std::string> first,
                              const std::vector<std::string>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

Outcome CrashAndRecover(const DownloadKind& kind, const CrashPoint& point) {
  std::unique_ptr<Workstation> station = kind.workstation(kind.reads, kind.engine);
  Outcome outcome;
  outcome.point = point;
  outcome.killedStatus = RunKilledAt(station->Download(), point).status;

  const CommandOutcome listed = RunCommand(Plus(station->Folder(), {"in-attesa"}));
  const std::vector<WaitingFileLine> waiting = ParseWaitingFiles(listed.output);
  for (const WaitingFileLine& file : waiting) {
    const CommandOutcome imported =
        RunCommand(Plus(station->Folder(), {"importa", file.path, "--formato", file.format, "--db",
                                            station->database}));
    if (imported.status == 0) ++outcome.imported;
  }
  outcome.waiting = waiting.size();
  station->Replug();
  outcome.againStatus = RunCommand(station->Download()).status;
  outcome.codes = station->StoredCodes();
  outcome.leftovers = Leftovers(station->letture);
  return outcome;
}

// "8 rows for 3 reads: A x2 B lost C x3".
std::string Described(const std::vector<std::string>& stored,
                      const std::vector<std::string>& codes) {
  std::map<std::string, int> times;
  for (const std::string& code : codes) times[code] = 0;
  for (const std::string& code : stored) ++times[code];
  std::string text =
      std::to_string(stored.size()) + " rows for " + std::to_string(codes.size()) + " reads:";
  for (const auto& [code, count] : times) {
    if (count == 0) text += " " + code + " lost";
    if (count > 1) text += " " + code + " x" + std::to_string(count);
  }
  return text;
}

class CrashSweep : public ::testing::TestWithParam<DownloadKind> {};

TEST_P(CrashSweep, EveryCrashPointLeavesEachReadStoredOnce) {
  const DownloadKind& kind = GetParam();
  ASSERT_TRUE(StraceAvailable()) << "strace (the Debian package) is needed and not found";
  const auto start = std::chrono::steady_clock::now();

  std::map<std::string, int> counts;
  {
    std::unique_ptr<Workstation> clean = kind.workstation(kind.reads, kind.engine);
    CommandOutcome run;
    counts = CountStateChangingCalls(clean->Download(), clean->TraceFile(), run);
    ASSERT_EQ(run.status, 0) << run.output;
    ASSERT_EQ(clean->StoredCodes(), kind.codes) << "the clean run itself: " << run.output;
    // A device that gave its reads again would make every crash point after
    // the transfer look like a read stored twice.
    const CommandOutcome again = RunCommand(clean->Download());
    ASSERT_EQ(clean->StoredCodes(), kind.codes)
        << "the device still held its reads: " << again.output;
  }
  const std::vector<CrashPoint> points = CrashPointsOf(counts);
  ASSERT_FALSE(points.empty());

  // Runs mostly wait (on devices, on the reader program's silence), so
  // more of them than cores keep the machine busy.
  std::vector<Outcome> outcomes(points.size());
  ForEachConcurrently(points.size(), std::max(4u, 2 * std::thread::hardware_concurrency()),
                      [&](size_t i) { outcomes[i] = CrashAndRecover(kind, points[i]); });

  std::string failures;
  int failing = 0;
  for (const Outcome& outcome : outcomes) {
    const bool killed = outcome.killedStatus == 128 + 9;
    if (killed && outcome.codes == kind.codes && outcome.leftovers.empty()) continue;
    ++failing;
    failures += "\n  " + std::string(kind.name) + ", " + outcome.point.call + ", " +
                std::to_string(outcome.point.number) + ": " + Described(outcome.codes, kind.codes) +
                " (waiting files: " + std::to_string(outcome.waiting) + " listed, " +
                std::to_string(outcome.imported) + " imported; the download again ended with " +
                std::to_string(outcome.againStatus) + ")";
    for (const std::string& name : outcome.leftovers) failures += "; left behind: " + name;
    if (!killed) {
      failures += "; never reached: the run ended with " + std::to_string(outcome.killedStatus);
    }
  }
  std::string counted;
  for (const auto& [call, count] : counts) {
    if (count > 0) counted += " " + call + " " + std::to_string(count);
  }
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  std::cout << kind.name << ": " << points.size() << " crash points (" << counted.substr(1)
            << ") in " << seconds.count() << " s\n";
  EXPECT_EQ(failing, 0) << failing << " of " << points.size()
                        << " crash points do not leave each read stored exactly once and "
                           "nothing behind (kind, call, N: rows found):"
                        << failures;
}

INSTANTIATE_TEST_SUITE_P(Downloads, CrashSweep, ::testing::ValuesIn(kDownloads),
                         [](const ::testing::TestParamInfo<DownloadKind>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace viruzedi::testing
