#include "tests/support/Commands.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

using namespace std::chrono_literals;

CommandOutcome Finish(ChildProcess& child) {
  CommandOutcome outcome;
  auto deadline = std::chrono::steady_clock::now() + 60s;
  while (!child.OutputEnded() && std::chrono::steady_clock::now() < deadline) {
    outcome.output += child.ReadLine(5s) + "\n";
  }
  outcome.status = child.Wait();
  return outcome;
}

CommandOutcome RunViruzedi(const std::string& arguments) {
  auto child = ChildProcess::Start(
      {"/bin/sh", "-c", "exec " + ShellQuoted(BinFolder() + "viruzedi") + " " + arguments + " 2>&1"},
      true);
  return Finish(*child);
}

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::vector<std::string> QueryRows(const std::string& database, const std::string& query) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    ADD_FAILURE() << "cannot open " << database;
    return rows;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (i > 0) row += "|";
        const unsigned char* text = sqlite3_column_text(statement, i);
        row += text ? reinterpret_cast<const char*>(text) : "NULL";
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

}  // namespace viruzedi::testing
