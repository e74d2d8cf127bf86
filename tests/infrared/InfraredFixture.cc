#include "tests/infrared/InfraredFixture.h"


#include <algorithm>
#include <filesystem>

#include "database/Database.h"
#include "viruzedi/Viruzedi.h"
#include "platform/posix/LinuxPlatform.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

FakeInfraredLibrary::FakeInfraredLibrary(TestPlatform& platform)
    : platform_(platform), start_(platform.Now()) {}

std::chrono::milliseconds FakeInfraredLibrary::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(platform_.Now() - start_);
}

int32_t FakeInfraredLibrary::vbOpenIrCom(int32_t port, int32_t baud) {
  calls.push_back({"open " + std::to_string(port) + " " + std::to_string(baud), Elapsed()});
  return openResult;
}

void FakeInfraredLibrary::WriteIrCom(const std::string& text) {
  if (onWrite) onWrite(text);
  calls.push_back({"write " + text, Elapsed()});
}

void FakeInfraredLibrary::vbReadIrCom(std::string& buffer) {
  calls.push_back({"read", Elapsed()});
  Read next{"", 1500ms};
  if (!reads.empty()) {
    next = reads.front();
    reads.pop_front();
  }
  platform_.Advance(next.takes);
  EXPECT_EQ(buffer, std::string(100, ' ')) << "every read starts from 100 spaces";
  buffer.replace(0, std::min<size_t>(next.reply.size(), 100), next.reply.substr(0, 100));
}

void FakeInfraredLibrary::CloseIrCom() { calls.push_back({"close", Elapsed()}); }

std::vector<std::string> FakeInfraredLibrary::Commands() const {
  std::vector<std::string> commands;
  for (const Call& call : calls) {
    if (call.what.rfind("write ", 0) == 0) commands.push_back(call.what.substr(6));
  }
  return commands;
}

std::chrono::milliseconds FakeInfraredLibrary::TimeOf(const std::string& what) const {
  for (const Call& call : calls) {
    if (call.what == what) return call.at;
  }
  return -1ms;
}

int FakeInfraredLibrary::IndexOf(const std::string& what) const {
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].what == what) return static_cast<int>(i);
  }
  return -1;
}

int FakeInfraredLibrary::Count(const std::string& what) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.what == what; }));
}

InfraredLibrary& InfraredPlatform::Infrared() {
  if (fake) return *fake;
  return TestPlatform::Infrared();
}

void InfraredPlatform::MessageBox(const std::string& text, int style,
                                  const std::string& caption) {
  if (fake) fake->Note("box " + text);
  TestPlatform::MessageBox(text, style, caption);
}

InfraredTest::InfraredTest() {
  platform->downloadFolder = letture;
  DBEngine::CreateTargetDatabase(database);
}

void InfraredTest::StartOver() {
  static int next = 0;
  platform = std::make_shared<InfraredPlatform>();
  platform->downloadFolder = letture;
  database = temporary / ("magazzino" + std::to_string(++next) + ".db");
  DBEngine::CreateTargetDatabase(database);
}

FakeInfraredLibrary& InfraredTest::UseFakeLibrary(int32_t openResult) {
  platform->UseFakeClock();
  platform->fake = std::make_unique<FakeInfraredLibrary>(*platform);
  platform->fake->openResult = openResult;
  return *platform->fake;
}

void InfraredTest::RunScarica1(int32_t porta) {
  Viruzedi component(platform);
  component.Porta(porta);
  component.DbPath(database);
  EXPECT_TRUE(component.Scarica1().IsEmpty());
}

std::vector<std::string> InfraredTest::Rows() const {
  return QueryRows(database,
                   "SELECT Codart, IdLotto, Quantità, Data, Rep FROM Viruzedi ORDER BY rowid");
}

bool InfraredTest::MarkerExists() const {
  return std::filesystem::exists(letture + "/TEMPFOX.TMP");
}

}  // namespace viruzedi::testing

namespace viruzedi::testing {

int InfraredTest::RowsInTheFileItself() const {
  return static_cast<int>(viruzedi::testing::RowsInTheFileItself(database, "Viruzedi"));
}

}  // namespace viruzedi::testing
