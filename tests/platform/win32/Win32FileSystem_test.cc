// What the Windows file system alone does; built into
// test_platform_contract.exe beside the contract of every platform.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// A download reserves "X.tmp" and archives to "X.TMP": on a system that
// ignores letter case these are one name, which neither a reservation nor
// a move may take while the other holds it.
TEST(Win32FileSystem, NamesThatDifferInLetterCaseOnlyAreOneName) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  WriteFile(folder / "MovMag_20261206-093015.TMP", "archived");
  EXPECT_EQ(files->CreateLocked(folder / "MovMag_20261206-093015.tmp"), nullptr);
  EXPECT_TRUE(files->FileExists(folder / "movmag_20261206-093015.tmp"));

  WriteFile(folder / "received.tmp", "rows");
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(folder / "received.tmp",
                                          folder / "MOVMAG_20261206-093015.tmp"); }),
            kFileAlreadyExists);
  EXPECT_EQ(ReadFile(folder / "MovMag_20261206-093015.TMP"), "archived");
  EXPECT_EQ(ReadFile(folder / "received.tmp"), "rows");
  // Onto its own name in other letters: a name taken like any other, so an
  // archive looks for the next free one instead of keeping the file's name.
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(folder / "received.tmp", folder / "RECEIVED.TMP"); }),
            kFileAlreadyExists);
  EXPECT_EQ(ReadFile(folder / "received.tmp"), "rows");

  std::unique_ptr<FileLock> reserved = files->CreateLocked(folder / "MovMag_20261206-093016.tmp");
  ASSERT_NE(reserved, nullptr);
  EXPECT_EQ(files->TryLock(folder / "MOVMAG_20261206-093016.TMP"), nullptr);
  EXPECT_EQ(files->ListFolder(folder.path()).size(), 3u);
}

}  // namespace
}  // namespace viruzedi
