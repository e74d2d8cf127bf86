// Shared pieces of the reader program tests: a real target database in a
// temporary folder, a platform whose component folder is chosen by the
// test (by default one whose reader program ends at once, leaving the
// reader file the test wrote), and a way to the private operations of the
// class.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "component/ObjectState.h"
#include "readerprog/ReaderOperations.h"
#include "viruzedi/Viruzedi.h"
#include "platform/ProcessRunner.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {

struct ViruzediInternals {
  static ProcessExit EseguiEAttendi(Viruzedi& object, const std::string& commandLine,
                                    int32_t showState = 0) {
    return viruzedi::EseguiEAttendi(*object.state().platform, commandLine, showState);
  }
  static std::string PercorsoApp(Viruzedi& object) {
    return viruzedi::PercorsoApp(*object.state().platform);
  }
};

namespace testing {

inline constexpr LocalDateTime kToday{2026, 12, 6, 9, 30, 15};

class ReaderProgramTest : public ::testing::Test {
 protected:
  ReaderProgramTest();

  // Writes the reader file, each line ended by CR LF (bytes as given).
  void PutReaderFile(const std::vector<std::string>& lines);
  // Rows of a query on the test's database, columns joined by "|", NULL as "NULL".
  std::vector<std::string> Rows(const std::string& query) const;
  // The reader file under the name of its own that an import gave it and
  // that a failed import leaves it waiting under (the newest when there
  // are several); "" when there is none.
  std::string WaitingReaderFile() const;
  // Puts an executable shell script named DO_Duri.exe in `folder`.
  static void PutReaderProgram(const std::string& folder, const std::string& script);

  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  std::string readerFile = temporary / "letture.txt";
  std::string componentFolder = temporary / "componente/";
  std::shared_ptr<TestPlatform> platform = std::make_shared<TestPlatform>();
};

}  // namespace testing
}  // namespace viruzedi
