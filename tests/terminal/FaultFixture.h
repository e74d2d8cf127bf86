// Shared pieces of the fault tests of the file downloads: a platform that
// lets a test act at the moment a warning is shown (the middle of an
// import), a folder that even root cannot write, and checks of what a
// failure leaves behind.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "viruzedi/Variant.h"
#include "viruzedi/Viruzedi.h"
#include "tests/terminal/TerminalFixture.h"

namespace viruzedi::testing {

class HookedPlatform : public TestPlatform {
 public:
  void MessageBox(const std::string& text, int style, const std::string& caption) override;
  // Called after each bad-code warning is recorded.
  std::function<void()> onWarning;
};

// A folder (or file) made immutable (chattr +i), refused even to root, for
// as long as the object lives. `held` is false where the file system or the
// capabilities do not allow it; the test then skips.
class ImmutableFolder {
 public:
  explicit ImmutableFolder(std::string path);
  ~ImmutableFolder();
  ImmutableFolder(const ImmutableFolder&) = delete;
  ImmutableFolder& operator=(const ImmutableFolder&) = delete;
  bool held = false;

 private:
  std::string path_;
};

// A new empty folder on another file system than the temporary folders
// (/dev/shm), removed with its contents; path() is "" where there is none.
class OtherFileSystemFolder {
 public:
  OtherFileSystemFolder();
  ~OtherFileSystemFolder();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

using DownloadOperation = Variant (Viruzedi::*)();

class FaultTest : public TerminalTest {
 protected:
  // Installs the hooked platform. Run gives its object a short busy
  // timeout, so that a lock held by another program ends a statement quickly.
  FaultTest();
  ~FaultTest() override;

  // How the download ended.
  OperationOutcome Run(DownloadOperation operation);
  // Writes terminal file N as the exact bytes given and returns them.
  std::string PutTerminalBytes(int numeroFile, const std::string& bytes);
  // Stores one row as an earlier import did, and returns the rows of the
  // table as Movements() reads them.
  std::vector<std::string> StoreEarlierRow();
  std::vector<std::string> Movements() const;
  std::vector<std::string> Remittances() const;
  // PRAGMA integrity_check of the test's database says "ok".
  bool DatabaseIsSound() const;

  std::shared_ptr<HookedPlatform> hooked = std::make_shared<HookedPlatform>();
};

inline const LocalDateTime kStart = At(2026, 12, 6, 9, 30, 15);
inline const LocalDateTime kEnd = At(2026, 12, 6, 10, 2, 7);

}  // namespace viruzedi::testing
