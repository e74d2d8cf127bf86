// A workstation with one device, made anew for each run of the crash sweep:
// a new database (`viruzedi init-db`), a new download folder, and the device
// (a folder, or a simulator on a pseudo-terminal) holding the same reads.
// The device keeps whatever a crash leaves it, as a real one would.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

// Where a workstation's reads are stored: an SQLite file in its folder, or
// a database of its own on the test's PostgreSQL server.
enum class StoredIn { kSqliteFile, kPostgresqlServer };

class Workstation {
  TemporaryFolder folder_;  // first: everything below lies in it

 public:
  virtual ~Workstation() = default;

  // The download's arguments to `viruzedi`: global options, command, options.
  virtual std::vector<std::string> Download() const = 0;
  // Puts the device back in its cradle before the download runs again: a
  // device whose dialogue the crash cut stays in it (a terminal still sending
  // waits for its time-outs) until taken out and put back. What it holds is
  // kept. Nothing for a device that needs no such care.
  virtual void Replug() {}

  // Global options that name the download folder, for the operator's tools.
  std::vector<std::string> Folder() const { return {"--letture", letture}; }
  // Where a traced run of the download writes its trace.
  std::string TraceFile() const { return Path("download.strace"); }
  // The code of each row stored, sorted.
  std::vector<std::string> StoredCodes() const;

  const std::string database;
  const std::string letture = folder_ / "_Letture";

 protected:
  explicit Workstation(StoredIn engine);
  // A path of the workstation's own folder.
  std::string Path(const std::string& name) const { return folder_ / name; }
};

// Makes a workstation whose device holds `reads` (each in the device's own
// form: a terminal line, a reader's line, an infrared record).
using WorkstationMaker =
    std::function<std::unique_ptr<Workstation>(const std::vector<std::string>&, StoredIn)>;

// `scarica4` from a terminal whose storage is the folder of the dir: link.
std::unique_ptr<Workstation> TerminalOverFolder(const std::vector<std::string>& lines,
                                                StoredIn engine);
// `scarica4` from the terminal simulator over YMODEM; the terminal drops its
// file once its end is acknowledged.
std::unique_ptr<Workstation> TerminalOverSerial(const std::vector<std::string>& lines,
                                                StoredIn engine);
// `scarica2` with the built DO_Duri.exe and the reader simulator, which
// empties itself with each dump; the reader file is in the download folder.
std::unique_ptr<Workstation> ReaderProgram(const std::vector<std::string>& reads, StoredIn engine);
// `scarica1` through the built libZiRav.so and the infrared simulator.
std::unique_ptr<Workstation> InfraredLink(const std::vector<std::string>& records, StoredIn engine);

}  // namespace viruzedi::testing
