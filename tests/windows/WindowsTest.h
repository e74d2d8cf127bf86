// What every test of viruzedi.exe under Wine starts from: a target (each
// test runs for both), an SQLite database set up by the Linux command and
// reached by the Windows program through the SQLite ODBC driver, and a
// download folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/database/support/RawDatabase.h"
#include "tests/support/Commands.h"
#include "tests/windows/WineSupport.h"

namespace viruzedi::testing {

using Strings = std::vector<std::string>;

class WindowsTest : public ::testing::TestWithParam<WindowsTarget> {
 protected:
  WindowsTest() {
    CommandOutcome made = RunViruzedi("init-db " + ShellQuoted(database));
    EXPECT_EQ(made.status, 0) << made.output;
  }

  // viruzedi.exe of the target with the test's download folder.
  WindowsOutcome Viruzedi(const Strings& arguments, const Variables& variables = {}) const {
    return RunWindows(GetParam(), "viruzedi.exe", WithFolder(arguments), variables);
  }
  // The same, started and left running.
  std::unique_ptr<WindowsProgram> StartViruzedi(const Strings& arguments) const {
    return std::make_unique<WindowsProgram>(GetParam(), "viruzedi.exe", WithFolder(arguments));
  }

  std::string Db() const { return SqliteConnection(database); }
  Strings Rows(const std::string& query) const { return QueryRows(database, query); }

  TemporaryFolder folder;
  std::string database = folder / "magazzino.db";
  std::string letture = folder / "_Letture";

 private:
  Strings WithFolder(const Strings& arguments) const {
    Strings all{"--letture", WindowsPath(letture)};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return all;
  }
};

// Each test of a suite once per target: Wine/Suite.Test/win64, Wine/Suite.Test/win32.
#define VIRUZEDI_FOR_BOTH_TARGETS(suite)                                               \
  INSTANTIATE_TEST_SUITE_P(                                                            \
      Wine, suite, ::testing::Values(WindowsTarget::kWin64, WindowsTarget::kWin32),        \
      [](const ::testing::TestParamInfo<WindowsTarget>& info) {                        \
        return std::string(TargetName(info.param));                                    \
      })

}  // namespace viruzedi::testing
