#include "tests/database/postgresql/OwnServer.h"

#include <chrono>

#include "platform/ChildProcess.h"
#include "tests/database/support/RawDatabase.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

using namespace std::chrono_literals;

OwnServer::OwnServer() { uri_ = Command("start"); }

OwnServer::~OwnServer() { Command("stop"); }

std::string OwnServer::NewDatabase(const std::string& name) const {
  RawDatabase(uri_).Exec("CREATE DATABASE " + name);
  std::string database = uri_;
  database.replace(database.find("/postgres?"), 10, "/" + name + "?");
  return database;
}

bool OwnServer::Crash() const {
  return RunProcess({VIRUZEDI_PG_TEST_SERVER, "crash", folder_.path()}) == 0;
}

bool OwnServer::Start() { return Command("start") == uri_; }

std::string OwnServer::Command(const std::string& command) const {
  auto child = ChildProcess::Start({"/bin/sh", "-c",
                                    "exec " + ShellQuoted(VIRUZEDI_PG_TEST_SERVER) + " " + command +
                                        " " + ShellQuoted(folder_.path()) + " 2>&1"},
                                   true);
  std::string line = child->ReadLine(120s);
  child->Wait();
  return line;
}

}  // namespace viruzedi::testing
