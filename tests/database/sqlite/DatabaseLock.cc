// The other program that holds an SQLite file locked: the sqlite3 shell.
#include "tests/database/support/DatabaseLock.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/ChildProcess.h"
#include "tests/database/support/RawConnection.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {
namespace {

using namespace std::chrono_literals;

class ShellLock : public LockHolder {
 public:
  ShellLock(const std::string& database, const std::string& folder, bool readersToo) {
    // A named pipe rather than the shell's own standard input: the test keeps
    // the writing end, and closing it is what ends the transaction.
    static int made = 0;
    const std::string pipe = folder + "/blocco-input-" + std::to_string(++made);
    if (RunProcess({"mkfifo", pipe}) != 0) {
      ADD_FAILURE() << "mkfifo " << pipe;
      return;
    }
    shell_ = ChildProcess::Start({"/bin/sh", "-c",
                                  "exec sqlite3 -batch " + ShellQuoted(database) + " < " +
                                      ShellQuoted(pipe)},
                                 true);
    // Opening blocks until the shell has opened its end.
    input_.open(pipe);
    // The timeout lets the shell wait out a writer that is between commits.
    input_ << ".timeout 10000\n"
           << (readersToo ? "PRAGMA locking_mode=EXCLUSIVE;\n" : "")
           << "BEGIN EXCLUSIVE;\nSELECT 'bloccato';\n"
           << std::flush;
    // The pragma answers first; an empty line is a time-out or the shell's end.
    std::string reply;
    do {
      reply = shell_->ReadLine(10s);
    } while (!reply.empty() && reply != "bloccato");
    if (reply != "bloccato") {
      ADD_FAILURE() << "the sqlite3 shell did not take the lock: '" << reply << "'";
      Release();
    }
  }

  ~ShellLock() override { Release(); }

  void Release() override {
    if (input_.is_open()) input_.close();
    if (shell_) shell_->Wait();
    shell_.reset();
  }

 private:
  std::unique_ptr<ChildProcess> shell_;
  std::ofstream input_;
};

}  // namespace

bool DatabaseLock::Available() {
  return RunProcess({"/bin/sh", "-c", "sqlite3 -version >/dev/null 2>&1"}) == 0;
}

std::unique_ptr<LockHolder> HoldSqliteLock(const std::string& path, const std::string& folder,
                                           bool readersToo) {
  return std::make_unique<ShellLock>(path, folder, readersToo);
}

}  // namespace viruzedi::testing
