// Shared pieces of the terminal tests: a download folder, a terminal folder
// and a real target database in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/TerminalLink.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

// The forwarding platform makes its terminal link over itself, so the link
// follows `terminalSetting` and shows its boxes through the test platform.
using LinkPlatform = TestPlatform;

inline LocalDateTime At(int year, int month, int day, int hour, int minute, int second) {
  return LocalDateTime{year, month, day, hour, minute, second};
}

class TerminalTest : public ::testing::Test {
 protected:
  TerminalTest();

  // Puts terminal file N (lines ended by CR LF, as the terminal writes them).
  void PutTerminalFile(int numeroFile, const std::vector<std::string>& lines);
  // Rows of a query on the test's database, columns joined by "|", NULL as "NULL".
  std::vector<std::string> Rows(const std::string& query) const;
  // Captions of the boxes shown so far.
  std::vector<std::string> Captions() const;

  TemporaryFolder temporary;
  std::string letture = temporary / "_Letture";
  std::string terminale = temporary / "terminale";
  std::string database = temporary / "magazzino.db";
  std::shared_ptr<LinkPlatform> platform = std::make_shared<LinkPlatform>();
};

}  // namespace viruzedi::testing
