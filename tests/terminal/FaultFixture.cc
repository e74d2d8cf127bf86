#include "component/ObjectState.h"
#include "tests/terminal/FaultFixture.h"

#include <chrono>
#include <filesystem>
#include <random>

#include "database/Database.h"
#include "operation/Messages.h"
#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

using namespace std::chrono_literals;

void HookedPlatform::MessageBox(const std::string& text, int style, const std::string& caption) {
  TestPlatform::MessageBox(text, style, caption);
  if (caption == kTitoloAttenzione && onWarning) onWarning();
}

ImmutableFolder::ImmutableFolder(std::string path) : path_(std::move(path)) {
  if (RunProcess({"/bin/sh", "-c", "chattr +i " + ShellQuoted(path_) + " 2>/dev/null"}) != 0)
    return;
  held = true;
  // Root's other powers must not pass it either.
  const std::string probe = path_ + "/prova";
  WriteFile(probe, "x");
  if (std::filesystem::exists(probe)) {
    held = false;
    RunProcess({"chattr", "-i", path_});
    std::filesystem::remove(probe);
  }
}

ImmutableFolder::~ImmutableFolder() {
  if (held) RunProcess({"chattr", "-i", path_});
}

OtherFileSystemFolder::OtherFileSystemFolder() {
  std::error_code error;
  if (!std::filesystem::is_directory("/dev/shm", error)) return;
  std::random_device random;
  std::string path = "/dev/shm/viruzedi-test-" + std::to_string(random());
  if (std::filesystem::create_directory(path, error)) path_ = path;
}

OtherFileSystemFolder::~OtherFileSystemFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

FaultTest::FaultTest() {
  hooked->downloadFolder = platform->downloadFolder;
  hooked->terminalSetting = platform->terminalSetting;
  hooked->localTimes = {kStart, kEnd};
  platform = hooked;
}

FaultTest::~FaultTest() = default;

OperationOutcome FaultTest::Run(DownloadOperation operation) {
  Viruzedi component(platform);
  component.state().dbSettings.busyTimeout = 150ms;
  component.DbPath(database);
  (component.*operation)();
  return component.LastOutcome();
}

std::string FaultTest::PutTerminalBytes(int numeroFile, const std::string& bytes) {
  WriteFile(terminale + "/" + std::to_string(numeroFile) + ".txt", bytes);
  return bytes;
}

std::vector<std::string> FaultTest::StoreEarlierRow() {
  std::unique_ptr<Database> earlier = DBEngine::Instance().OpenDatabase(database);
  earlier->Execute(
      "Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select 'PRIMA',1,  1, "
      "#12/05/2026#, 1");
  earlier->Close();
  return Movements();
}

std::vector<std::string> FaultTest::Movements() const {
  return Rows("SELECT Codart, IdLotto, [Id SottoOrd], Quantità, Data, Rep FROM Viruzedi");
}

std::vector<std::string> FaultTest::Remittances() const {
  return Rows("SELECT IdUt, IdSottoORd, Qtà, NDoc, DataDoc FROM Viruzedi_RimesseOF");
}

bool FaultTest::DatabaseIsSound() const {
  return Rows("PRAGMA integrity_check") == std::vector<std::string>{"ok"};
}

}  // namespace viruzedi::testing
