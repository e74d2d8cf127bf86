#include "tests/crash/Workstations.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/crash/CrashPoints.h"
#include "tests/database/support/EngineUnderTest.h"
#include "tests/database/support/RawDatabase.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

// A simulator of the build on a pseudo-terminal of its own; ended (SIGTERM,
// at once, as pulling its cable) when the object goes.
class Simulator {
 public:
  explicit Simulator(std::vector<std::string> argv) {
    argv[0] = BinFolder() + argv[0];
    process_ = ChildProcess::Start(argv, true);
    device_ = process_->ReadLine(10s);
    EXPECT_FALSE(device_.empty()) << argv[0] << " printed no device";
  }
  const std::string& device() const { return device_; }

 private:
  std::unique_ptr<ChildProcess> process_;
  std::string device_;
};

// The simulator's arguments, then `option value` for each value.
std::vector<std::string> WithEach(std::vector<std::string> argv, const std::string& option,
                                  const std::vector<std::string>& values) {
  for (const std::string& value : values) argv.insert(argv.end(), {option, value});
  return argv;
}

// Terminal file 1, its lines ended by CR LF as the terminal writes them.
void PutTerminalFile(const std::string& folder, const std::vector<std::string>& lines) {
  std::filesystem::create_directory(folder);
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  WriteFile(folder + "/1.txt", bytes);
}

class FolderTerminal : public Workstation {
 public:
  FolderTerminal(const std::vector<std::string>& lines, StoredIn engine) : Workstation(engine) {
    PutTerminalFile(terminale_, lines);
  }
  std::vector<std::string> Download() const override {
    return {"--letture", letture, "--terminale", "dir:" + terminale_, "scarica4", "--db", database};
  }

 private:
  const std::string terminale_ = Path("terminale");
};

class SerialTerminal : public Workstation {
 public:
  SerialTerminal(const std::vector<std::string>& lines, StoredIn engine) : Workstation(engine) {
    PutTerminalFile(files_, lines);
    Plug();
  }
  std::vector<std::string> Download() const override {
    return {"--letture", letture, "--terminale", "serial:" + terminal_->device(),
            "scarica4",  "--db",  database};
  }
  void Replug() override { Plug(); }

 private:
  // The terminal's files are its folder, which outlives the simulator.
  void Plug() {
    terminal_.reset();
    terminal_ = std::make_unique<Simulator>(
        std::vector<std::string>{"terminal-simulator", "--folder", files_, "--remove-sent"});
  }

  const std::string files_ = Path("terminale");
  std::unique_ptr<Simulator> terminal_;
};

class ReaderProgramStation : public Workstation {
 public:
  ReaderProgramStation(const std::vector<std::string>& reads, StoredIn engine)
      : Workstation(engine),
        reader_(WithEach({"reader-simulator", "--svuota"}, "--lettura", reads)) {}
  std::vector<std::string> Download() const override {
    // The reader file lies in the download folder, where the operator's
    // tools look for what waits.
    return {"--letture",
            letture,
            "--com",
            "4=" + reader_.device(),
            "scarica2",
            database,
            letture + "/lettore.txt",
            "--porta-com",
            "4",
            "--timeout",
            "1"};
  }

 private:
  Simulator reader_;
};

class InfraredStation : public Workstation {
 public:
  InfraredStation(const std::vector<std::string>& records, StoredIn engine)
      : Workstation(engine), reader_(WithEach({"infrared-simulator"}, "--record", records)) {}
  std::vector<std::string> Download() const override {
    return {"--letture", letture,   "--com", "5=" + reader_.device(), "scarica1", "--db",
            database,    "--porta", "5"};
  }

 private:
  Simulator reader_;
};

}  // namespace

Workstation::Workstation(StoredIn engine)
    : database(engine == StoredIn::kSqliteFile ? folder_ / "magazzino.db"
                                               : kPostgresqlEngine.NewDatabase(folder_)) {
  std::filesystem::create_directory(letture);
  CommandOutcome made = RunCommand({"init-db", database});
  EXPECT_EQ(made.status, 0) << made.output;
}

std::vector<std::string> Workstation::StoredCodes() const {
  return QueryRows(database, "SELECT Codart FROM Viruzedi ORDER BY Codart");
}

std::unique_ptr<Workstation> TerminalOverFolder(const std::vector<std::string>& lines,
                                                StoredIn engine) {
  return std::make_unique<FolderTerminal>(lines, engine);
}

std::unique_ptr<Workstation> TerminalOverSerial(const std::vector<std::string>& lines,
                                                StoredIn engine) {
  return std::make_unique<SerialTerminal>(lines, engine);
}

std::unique_ptr<Workstation> ReaderProgram(const std::vector<std::string>& reads, StoredIn engine) {
  return std::make_unique<ReaderProgramStation>(reads, engine);
}

std::unique_ptr<Workstation> InfraredLink(const std::vector<std::string>& records,
                                          StoredIn engine) {
  return std::make_unique<InfraredStation>(records, engine);
}

}  // namespace viruzedi::testing
